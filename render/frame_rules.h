#pragma once

#include <cstdint>

#include "scroller/scroller_rules.h"

// The renderer's platform-free rules: the pass table, the frame's constants, sizes, the frame plan,
// the end card's closing frame and the shader profiles.

// The passes, in the order a frame may run them. A new pass is a row here, its HLSL entry and its
// draw inputs in the renderer.
enum PassIndex { kScenePass, kCompositePass, kEndPass, kPassCount };

// Which target a pass draws into, and so its size: the offscreen target at half the client size,
// or the back buffer at the client size.
enum class PassTarget { Offscreen, BackBuffer };

struct PassInfo {
    const char* entry;  // pixel-shader entry point in the HLSL text
    const char* name;   // the shader's tag in failure reports, "CreatePixelShader(<name>)"
    PassTarget target;
    bool endCard;       // runs after Escape instead of before it
};

constexpr PassInfo kPasses[kPassCount] = {
    {"ScenePS", "scene", PassTarget::Offscreen, false},
    {"CompositePS", "composite", PassTarget::BackBuffer, false},
    {"EndPS", "end", PassTarget::BackBuffer, true},
};

// The offscreen size for one client dimension: the product with 0.5 formed in 32-bit float and
// truncated toward zero, so an odd size rounds down.
int HalfSize(int clientSize);

struct PassSize {
    int width = 0;
    int height = 0;
};

// The size a pass draws at for the given client size.
PassSize PassTargetSize(PassTarget target, int clientWidth, int clientHeight);

// Which passes a frame runs: those of its path (before or after Escape) whose target view exists.
// A pass whose target is missing (after a failed resize, a half size of 0 or a failed offscreen
// target) is skipped; the frame still presents and signs.
struct FramePlan {
    bool run[kPassCount] = {};
};

FramePlan PlanFrame(bool exitActive, bool hasOffscreenTarget, bool hasBackBuffer);

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

// The signature "dorv" is written in the window's default font with its cell's top-left corner
// 8 pixels from the left and 24 above the bottom of the client area. Its coverage is rasterised
// with a margin on every side, for glyphs and their smoothing that reach past the text cell.
constexpr int kSignatureLeft = 8;
constexpr int kSignatureRise = 24;
constexpr int kSignatureMargin = 4;

struct SignatureBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Where the signature's coverage (the text cell plus its margin, textWidth x textHeight without it)
// lies on a back buffer clientHeight pixels high.
SignatureBox PlaceSignature(int clientHeight, int textWidth, int textHeight);

// The end card closes the window ten seconds after Escape.
constexpr float kEndCardSeconds = 10.0f;

// True for the one end-card frame that must destroy the window: the first with exitT of ten
// seconds or more, as long as the window has not been destroyed already.
bool ShouldCloseWindow(bool windowDestroyed, float exitT);

// DXGI_ERROR_DEVICE_REMOVED and DXGI_ERROR_DEVICE_RESET: the driver has lost the device (an
// update, a reset, a removed GPU), and every object made on it must be made again.
constexpr uint32_t kDeviceRemoved = 0x887A0005u;
constexpr uint32_t kDeviceReset = 0x887A0007u;

// True for a Present or ResizeBuffers result that means the device is lost.
bool IsDeviceLost(uint32_t result);

// Feature level 11_0 (kFeatureLevel11) and higher compile shader model 5, lower levels 4.
struct ShaderProfiles {
    const char* vertex;
    const char* pixel;
};

ShaderProfiles ChooseShaderProfiles(uint32_t featureLevel);
