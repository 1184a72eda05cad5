#pragma once

// The frame's shader constants, the CPU-side mirror of the HLSL constant buffer CB (64 bytes,
// four 16-byte registers). The padding fields are never written.
struct SceneConstants {
    float resolution[2];
    float invResolution[2];
    float time;
    float scroll;
    float _pad0[2];
    float maskTexel[2];
    float exitMode;
    float exitT;
    float _pad1[4];
};

static_assert(sizeof(SceneConstants) == 64, "CB is four 16-byte registers");

// What a frame's constants are made from.
struct FrameInputs {
    int offscreenWidth = 0;
    int offscreenHeight = 0;
    float t = 0.0f;
    float scrollOffset = 0.0f;
    int maskWidth = 0;
    bool exitActive = false;
    float exitStartTime = 0.0f;
};

// The mask is always 128 pixels high, so its texel height in texture coordinates is fixed.
constexpr float kMaskTexelHeight = 1.0f / 128.0f;

// Seconds since Escape, subtracted in 32-bit float.
float ExitSeconds(float t, float exitStartTime);

// Writes every named field of constants for one frame and leaves the padding as it was.
void FillSceneConstants(SceneConstants& constants, const FrameInputs& inputs);
