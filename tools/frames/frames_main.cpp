#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/intro_state.h"
#include "core/failure_report.h"
#include "render/renderer.h"
#include "tools/frames/frame_capture.h"
#include "tools/frames/frame_window.h"
#include "tools/frames/frames_options.h"
#include "tools/frames/png_file.h"
#include "shaders/shader_source.h"

// Writes frames of the intro, drawn by its own renderer at a chosen client size and time, as PNG
// files; the tests' reference frames are made with it.

namespace {

// Failures of the renderer go to the console instead of a message box nobody can dismiss.
void PrintFailure(const FailureReport& report)
{
    std::fprintf(stderr, "htn_frames: %ls\n", report.text.c_str());
}

bool WriteFrames(const std::vector<FrameJob>& jobs)
{
    for (const FrameJob& job : jobs) {
        RgbaImage image;
        std::string error;
        if (!CaptureFrame(job.time, &image, &error) || !WritePng(WidePath(job.outputPath), image, &error)) {
            std::fprintf(stderr, "htn_frames: %s: %s\n", job.outputPath.c_str(), error.c_str());
            return false;
        }
        std::printf("%s\n", job.outputPath.c_str());
    }
    return true;
}

// Brings the renderer up on a fresh window of the size, writes the frames, and takes it all down.
bool WriteFramesAtSize(const FrameSize& size, const std::vector<FrameJob>& jobs)
{
    intro = IntroState();
    HWND window = OpenFrameWindow(size.width, size.height);
    if (!window) {
        std::fprintf(stderr, "htn_frames: CreateWindowExW failed (%lu)\n", GetLastError());
        return false;
    }
    const bool written = InitRenderer(EmbeddedShaderText()) && WriteFrames(jobs);
    ReleaseRenderer();
    DestroyWindow(window);
    intro = IntroState();
    return written;
}

bool WriteReferenceSet(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const FrameSize& size : ReferenceSizes()) {
        const std::string sizeFolder = folder + "\\" + SizeName(size);
        CreateDirectoryA(sizeFolder.c_str(), nullptr);
        std::vector<FrameJob> jobs;
        for (const FrameTime& time : ReferenceFrameTimes()) {
            jobs.push_back({time, sizeFolder + "\\" + FrameName(time) + ".png"});
        }
        if (!WriteFramesAtSize(size, jobs)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    FramesOptions options;
    std::string error;
    if (!ParseFramesOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "htn_frames: %s\n%s", error.c_str(), kFramesUsage);
        return 2;
    }
    SetFailureSink(PrintFailure);
    const bool written = options.referenceFolder.empty() ? WriteFramesAtSize(options.size, options.jobs)
                                                         : WriteReferenceSet(options.referenceFolder);
    return written ? 0 : 1;
}
