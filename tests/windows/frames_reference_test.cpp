#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "tools/frames/frame_capture.h"
#include "tools/frames/frame_time.h"
#include "tools/frames/image_compare.h"
#include "tools/frames/png_file.h"
#include "shaders/shader_source.h"

// Frames drawn now through the renderer against the stored references (scripts/make-reference-frames.sh
// makes them). A failing frame leaves <size>_<frame>_actual.png and _diff.png in the working folder.

namespace {

// tests\reference, found by walking up from the test program's own folder.
std::wstring ReferenceFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    for (size_t slash = folder.find_last_of(L"\\/"); slash != std::wstring::npos;
         slash = folder.find_last_of(L"\\/")) {
        folder.resize(slash);
        const std::wstring candidate = folder + L"\\tests\\reference";
        const DWORD attributes = GetFileAttributesW(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return candidate;
    }
    return std::wstring();
}

void KeepFailure(const std::string& stem, const RgbaImage& expected, const RgbaImage& actual, int channelLevels)
{
    std::string error;
    EXPECT_TRUE(WritePng(WidePath(stem + "_actual.png"), actual, &error)) << error;
    const RgbaImage difference = DifferenceImage(expected, actual, channelLevels);
    if (!difference.rgba.empty()) {
        EXPECT_TRUE(WritePng(WidePath(stem + "_diff.png"), difference, &error)) << error;
    }
}

// Every reference frame at one size, on a renderer brought up for it.
void CheckFramesAtSize(const std::wstring& folder, const FrameSize& size)
{
    RenderTestBed bed(size.width, size.height);
    // The swap chain takes this size even where the desktop is smaller than the window.
    intro.shell.clientWidth = size.width;
    intro.shell.clientHeight = size.height;
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));

    const FrameTolerance tolerance;
    for (const FrameTime& time : ReferenceFrameTimes()) {
        const std::string name = FrameName(time);
        SCOPED_TRACE(name);
        RgbaImage expected;
        RgbaImage actual;
        std::string error;
        const std::wstring file = folder + L"\\" + WidePath(SizeName(size)) + L"\\" + WidePath(name) + L".png";
        ASSERT_TRUE(ReadPng(file, &expected, &error)) << error;
        ASSERT_TRUE(CaptureFrame(time, &actual, &error)) << error;

        const FrameDifference difference = CompareFrames(expected, actual, tolerance.channelLevels);
        ASSERT_TRUE(difference.sameSize) << "reference " << expected.width << "x" << expected.height << ", drawn "
                                         << actual.width << "x" << actual.height;
        // Each implementation rounds a little differently; the figures show by how much.
        std::printf("frame %s %s: largest difference %d/255, %lld of %lld pixels over %d/255\n",
                    SizeName(size).c_str(), name.c_str(), difference.largestLevels, difference.outliers, difference.pixels,
                    static_cast<int>(tolerance.channelLevels));
        if (!WithinTolerance(difference, tolerance)) {
            KeepFailure(SizeName(size) + "_" + name, expected, actual, tolerance.channelLevels);
            const long long allowed =
                static_cast<long long>(tolerance.outlierFraction * static_cast<double>(difference.pixels));
            ADD_FAILURE() << difference.outliers << " of " << difference.pixels << " pixels differ by more than "
                          << tolerance.channelLevels << "/255 (largest " << difference.largestLevels
                          << "/255); at most " << allowed << " may";
        }
    }
    EXPECT_TRUE(bed.reports().empty());
}

TEST(FramesReference, FreshFramesMatchTheStoredOnes)
{
    const std::wstring folder = ReferenceFolder();
    ASSERT_FALSE(folder.empty()) << "no tests\\reference above the test program";
    for (const FrameSize& size : ReferenceSizes()) {
        SCOPED_TRACE(SizeName(size));
        CheckFramesAtSize(folder, size);
    }
}

}  // namespace
