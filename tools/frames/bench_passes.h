#pragma once

#include <d3d11.h>

#include <string>
#include <vector>

#include "render/frame_rules.h"
#include "tools/frames/frame_time.h"
#include "tools/frames/pass_timer.h"

// One timed draw: a pass of the pass table with the constants of one frame.
struct BenchJob {
    int pass = kScenePass;
    FrameTime time;
};

// What the passes are timed at: the scene and the composite at 4.5 s (the logo large and alone),
// 12 s and 20 s (the scroller running); the end card while its letters turn (0.5 s after Escape)
// and at rest (4.5 s).
std::vector<BenchJob> BenchJobs();

// "scene t04.50": the job's pass and frame, as the reports name it.
std::string JobName(const BenchJob& job);

// The job of each pass whose first draw measures the pass's first-use cost: the first of its jobs.
int FirstJobOfPass(const std::vector<BenchJob>& jobs, int pass);

// A flat-colour pixel shader for the renderer's device, the measure of bare fill cost; the
// caller releases it. Null on failure, with the reason in error.
ID3D11PixelShader* CreateFlatPixelShader(std::string* error);

// The job's pass with the renderer's current shaders, bound as the renderer's frame binds it after
// the scroller and the exit state are set as a run would have them, drawn between the timer's
// marks for slot. False when a wait of the timer stalled or failed, error saying which.
bool TimeJob(PassTimer& timer, int slot, const BenchJob& job, std::string* error);

// The names of the two flat-colour slots, over the half-size target and over the back buffer.
extern const char* const kFlatFillNames[2];

// The flat-colour pass over the half-size target into slot, then over the back buffer into slot + 1.
bool TimeFlatFills(PassTimer& timer, ID3D11PixelShader* flatShader, int slot, std::string* error);
