#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/failure_report.h"
#include "core/intro_state.h"
#include "render/renderer.h"
#include "scroller/scroller.h"
#include "tools/frames/bench_passes.h"
#include "tools/frames/bench_report.h"
#include "tools/frames/frame_capture.h"
#include "tools/frames/frame_window.h"
#include "tools/frames/pass_timer.h"

// Times the intro's passes at three client sizes and prints the medians, next to a flat-colour
// pass over the same targets. Prints figures only; nothing is judged.
//   htn_pass_benchmark [--frames N]   (N from 1, default 30)

namespace {

constexpr int kDefaultFrames = 30;
constexpr int kWarmUpFrames = 2;
// The logo with the scroller running, and the end card with all letters at rest.
constexpr float kIntroTime = 12.0f;
constexpr float kEndCardExitT = 4.5f;

void PrintFailure(const FailureReport& report)
{
    std::fprintf(stderr, "htn_pass_benchmark: %ls\n", report.text.c_str());
}

PassMedians Medians(const std::vector<std::vector<double>>& samples)
{
    PassMedians medians;
    for (int pass = 0; pass < kPassCount; ++pass) medians.passes[pass] = Median(samples[pass]);
    medians.flatHalf = Median(samples[kFlatHalfSlot]);
    medians.flatFull = Median(samples[kFlatFullSlot]);
    return medians;
}

// The per-pass medians over frames timed frames; false when the timestamps cannot be had.
bool TimePasses(int frames, SizeTimings* row)
{
    std::string error;
    ID3D11PixelShader* flatShader = CreateFlatPixelShader(&error);
    PassTimer timer;
    bool timed = flatShader && timer.Create(intro.renderer.device, kBenchSlotCount, &error);

    const FrameTime introTime = IntroFrame(kIntroTime);
    const FrameTime endTime = EndCardFrame(kEndCardExitT);
    PrepareFrameState(introTime);
    UpdateScroller(introTime.t);

    std::vector<std::vector<double>> gpuSamples(kBenchSlotCount);
    std::vector<std::vector<double>> wallSamples(kBenchSlotCount);
    for (int frame = 0; timed && frame < kWarmUpFrames + frames; ++frame) {
        DrawTimedFrame(timer, flatShader, introTime, endTime);
        std::vector<double> gpu;
        std::vector<double> wall;
        timed = timer.Collect(intro.renderer.context, &gpu, &wall, &error);
        if (!timed || frame < kWarmUpFrames) continue;
        for (int pass = 0; pass < kBenchSlotCount; ++pass) {
            gpuSamples[pass].push_back(gpu[pass]);
            wallSamples[pass].push_back(wall[pass]);
        }
    }
    if (flatShader) flatShader->Release();
    if (!timed) {
        std::fprintf(stderr, "htn_pass_benchmark: %s: %s\n", SizeName(row->size).c_str(), error.c_str());
        return false;
    }
    row->gpu = Medians(gpuSamples);
    row->wall = Medians(wallSamples);
    return true;
}

bool MeasureSize(const FrameSize& size, int frames, SizeTimings* row)
{
    intro = IntroState();
    row->size = size;
    HWND window = OpenFrameWindow(size.width, size.height);
    if (!window) {
        std::fprintf(stderr, "htn_pass_benchmark: CreateWindowExW failed (%lu)\n", GetLastError());
        return false;
    }
    const bool measured = InitRenderer() && TimePasses(frames, row);
    ReleaseRenderer();
    DestroyWindow(window);
    intro = IntroState();
    return measured;
}

int FramesArgument(int argc, char** argv)
{
    if (argc == 1) return kDefaultFrames;
    if (argc == 3 && std::strcmp(argv[1], "--frames") == 0) {
        char* end = nullptr;
        const long frames = std::strtol(argv[2], &end, 10);
        if (*end == '\0' && frames >= 1 && frames <= 100000) return static_cast<int>(frames);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = FramesArgument(argc, argv);
    if (frames == 0) {
        std::fprintf(stderr, "usage: htn_pass_benchmark [--frames N]   (N from 1, default %d)\n", kDefaultFrames);
        return 2;
    }
    SetFailureSink(PrintFailure);
    const std::vector<FrameSize> sizes = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    std::vector<SizeTimings> timings;
    for (const FrameSize& size : sizes) {
        SizeTimings row;
        if (MeasureSize(size, frames, &row)) timings.push_back(row);
    }
    std::printf("%s", FormatPassTables(timings, frames).c_str());
    return timings.size() == sizes.size() ? 0 : 1;
}
