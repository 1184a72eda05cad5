#pragma once

#include <d3d11.h>

#include <string>

#include "tools/frames/frame_time.h"
#include "tools/frames/pass_timer.h"

// The passes the benchmark times, bound as the renderer's frame binds them, each draw between
// its own pair of timestamps.
enum BenchPassIndex { kScenePass, kCompositePass, kFlatHalfPass, kFlatFullPass, kEndCardPass, kBenchPassCount };

// A flat-colour pixel shader for the renderer's device, the measure of bare fill cost; the
// caller releases it. Null on failure, with the reason in error.
ID3D11PixelShader* CreateFlatPixelShader(std::string* error);

// Writes the constants of the frame at time (as the renderer would) into the renderer's buffer.
void WriteBenchConstants(const FrameTime& time);

// One timed frame: the intro's passes and the flat ones with the constants of introTime, then
// the end card with those of endTime.
void DrawTimedFrame(PassTimer& timer, ID3D11PixelShader* flatShader, const FrameTime& introTime,
                    const FrameTime& endTime);
