#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/intro_state.h"
#include "core/failure_report.h"
#include "render/renderer.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/show_audio.h"
#include "tools/capture/show_plan.h"
#include "tools/frames/frame_capture.h"
#include "tools/frames/frame_window.h"
#include "shaders/shader_source.h"

// Draws every frame of the show at a steady frame rate through the intro's own renderer and writes
// them raw to standard output, after the show's sound has been written as a WAV file. Progress
// lines ("htn_capture: frame K of N") and failures go to standard error.

namespace {

constexpr int kSampleRate = 44100;
// After the scroller has finished, the logo turns alone this long before Escape.
constexpr float kEscapeHold = 2.0f;

void PrintFailure(const FailureReport& report)
{
    std::fprintf(stderr, "htn_capture: %ls\n", report.text.c_str());
}

// Standard output as the bytes given: no text-mode translation of the frames.
bool WriteOut(const void* data, size_t size)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(out, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool PlanShow(const CaptureOptions& options, ShowPlan* plan)
{
    plan->fps = options.fps;
    plan->escapeAt = options.escapeAt;
    if (!options.escapeGiven) {
        plan->escapeAt = ScrollerEndEscape(options.fps, kEscapeHold, kLatestEscape);
        if (plan->escapeAt < 0.0f) {
            std::fprintf(stderr, "htn_capture: the scroller does not finish within %.0f s\n",
                         static_cast<double>(kLatestEscape));
            return false;
        }
    }
    plan->frameCount = FramesUntilClose(plan->fps, plan->escapeAt);
    if (options.untilGiven) {
        const int before = FramesBefore(plan->fps, options.until);
        if (before < plan->frameCount) plan->frameCount = before;
    }
    return true;
}

bool WriteShowSound(const ShowPlan& plan, const std::string& path)
{
    std::vector<uint8_t> track;
    std::string error;
    const bool written =
        DecodeEmbeddedTrack(&track, &error) &&
        WriteWav(path, MixShowSound(track, SoundFramesFor(plan.frameCount, plan.fps, kSampleRate), kSampleRate,
                                    plan.escapeAt),
                 kSampleRate, &error);
    if (!written) std::fprintf(stderr, "htn_capture: %s\n", error.c_str());
    return written;
}

// Each frame as the main loop would draw it at loop time k / fps: Escape is taken at its own loop
// time before the first frame at or after it, and the scroller is stepped by the frame itself.
bool StreamFrames(const ShowPlan& plan)
{
    RgbaImage image;
    for (int frame = 0; frame < plan.frameCount; ++frame) {
        const float t = CaptureFrameTime(frame, plan.fps);
        if (!intro.shell.exit.exitActive && t >= plan.escapeAt) {
            intro.shell.exit.exitActive = true;
            intro.shell.exit.exitStartTime = plan.escapeAt;
        }
        // The signature as the intro blends it into every frame before Present.
        DrawFrame(t);
        DrawSignature();
        std::string error;
        if (!ReadBackBuffer(&image, &error)) {
            std::fprintf(stderr, "htn_capture: frame %d: %s\n", frame, error.c_str());
            return false;
        }
        if (!WriteOut(image.rgba.data(), image.rgba.size())) {
            std::fprintf(stderr, "htn_capture: frame %d: standard output is closed\n", frame);
            return false;
        }
        std::fprintf(stderr, "htn_capture: frame %d of %d\n", frame + 1, plan.frameCount);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    CaptureOptions options;
    std::string error;
    if (!ParseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "htn_capture: %s\n%s", error.c_str(), kCaptureUsage);
        return 2;
    }
    SetFailureSink(PrintFailure);

    intro = IntroState();
    HWND window = OpenFrameWindow(options.width, options.height);
    if (!window) {
        std::fprintf(stderr, "htn_capture: CreateWindowExW failed (%lu)\n", GetLastError());
        return 1;
    }
    ShowPlan plan;
    bool captured = InitRenderer(EmbeddedShaderText()) && PlanShow(options, &plan);
    if (captured) {
        std::fprintf(stderr, "htn_capture: plan %dx%d at %d fps, Escape at %.4f s, %d frames\n", options.width,
                     options.height, plan.fps, static_cast<double>(plan.escapeAt), plan.frameCount);
        captured = WriteShowSound(plan, options.audioPath) && StreamFrames(plan);
    }
    ReleaseRenderer();
    DestroyWindow(window);
    return captured ? 0 : 1;
}
