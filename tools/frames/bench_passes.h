#pragma once

#include <d3d11.h>

#include <string>

#include "render/frame_rules.h"
#include "tools/frames/frame_time.h"
#include "tools/frames/pass_timer.h"

// The timer's slots: every pass of the pass table, then a flat-colour pass over the half-size
// target and one over the back buffer.
constexpr int kFlatHalfSlot = kPassCount;
constexpr int kFlatFullSlot = kPassCount + 1;
constexpr int kBenchSlotCount = kPassCount + 2;

// A flat-colour pixel shader for the renderer's device, the measure of bare fill cost; the
// caller releases it. Null on failure, with the reason in error.
ID3D11PixelShader* CreateFlatPixelShader(std::string* error);

// Writes the constants of the frame at time (as the renderer would) into the renderer's buffer.
void WriteBenchConstants(const FrameTime& time);

// One timed frame: every pass bound as the renderer's frame binds it, each draw between its own
// pair of timestamps; the intro's passes with the constants of introTime, the end card with those
// of endTime; then the flat passes.
void DrawTimedFrame(PassTimer& timer, ID3D11PixelShader* flatShader, const FrameTime& introTime,
                    const FrameTime& endTime);
