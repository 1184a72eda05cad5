#include <gtest/gtest.h>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "tools/frames/frame_capture.h"
#include "shaders/shader_source.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Several frames are taken in one run, so each must start from the same history, not the last frame's.
TEST(FramesCapture, EveryFrameReplaysTheScrollerFromTheStart)
{
    RenderTestBed bed(kWidth, kHeight);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));

    PrepareFrameState(IntroFrame(12.0f));
    const float at12 = intro.scroller.scrollOffset;
    EXPECT_TRUE(intro.scroller.scrollStarted);
    PrepareFrameState(IntroFrame(30.0f));
    EXPECT_NE(intro.scroller.scrollOffset, at12);
    PrepareFrameState(IntroFrame(12.0f));
    EXPECT_EQ(intro.scroller.scrollOffset, at12);
    EXPECT_FALSE(intro.shell.exit.exitActive);

    // The scroller stops at Escape: an end card has the history of the intro up to that moment.
    PrepareFrameState(IntroFrame(kReferenceEscapeTime));
    const float atEscape = intro.scroller.scrollOffset;
    PrepareFrameState(EndCardFrame(4.5f));
    EXPECT_EQ(intro.scroller.scrollOffset, atEscape);
    EXPECT_TRUE(intro.shell.exit.exitActive);
    EXPECT_EQ(intro.shell.exit.exitStartTime, kReferenceEscapeTime);
}

TEST(FramesCapture, DrawsWithoutPresentingAndReadsTheWholeBackBuffer)
{
    RenderTestBed bed(kWidth, kHeight);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    RgbaImage image;
    std::string error;
    ASSERT_TRUE(CaptureFrame(EndCardFrame(4.5f), &image, &error)) << error;
    EXPECT_EQ(Script().presents, 0);
    ASSERT_EQ(image.width, kWidth);
    ASSERT_EQ(image.height, kHeight);
    ASSERT_EQ(image.rgba.size(), static_cast<size_t>(kWidth) * kHeight * 4);
    // The end card's lower half is its flat brown (0.10, 0.06, 0.03), not the black of a cleared buffer.
    const size_t bottom = (static_cast<size_t>(kHeight - 1) * kWidth) * 4;
    EXPECT_NEAR(image.rgba[bottom + 0], 26, 1);
    EXPECT_NEAR(image.rgba[bottom + 1], 15, 1);
    EXPECT_NEAR(image.rgba[bottom + 2], 8, 1);

    // Presenting is left to RenderFrame, which also signs and keeps the window until ten seconds.
    RenderFrame(EndCardFrame(4.5f).t);
    EXPECT_EQ(Script().presents, 1);
    EXPECT_TRUE(IsWindow(bed.window()));
    EXPECT_TRUE(bed.reports().empty());
}

}  // namespace
