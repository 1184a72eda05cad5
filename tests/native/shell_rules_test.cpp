#include <gtest/gtest.h>

#include <cmath>

#include "app/shell_rules.h"

TEST(AppLoopClock, FrameStepsStayExactAfterWeeksOfUptime)
{
    const int64_t frequency = 10'000'000;
    const int64_t start = frequency * 60 * 60 * 24 * 30;  // a machine up for thirty days
    EXPECT_EQ(LoopTime(start, frequency, start), 0.0f);
    EXPECT_EQ(LoopTime(start + frequency * 5, frequency, start), 5.0f);

    // Consecutive 60 Hz frames stay 1/60 s apart; absolute seconds in a float would step by 0.25 s here.
    const int64_t frame = frequency / 60;
    const float first = LoopTime(start + 600 * frame, frequency, start);
    const float second = LoopTime(start + 601 * frame, frequency, start);
    EXPECT_NEAR(second - first, 1.0f / 60.0f, 1e-5f);
}

TEST(AppLoopClock, DividesInDoubleThenRoundsToFloat)
{
    const int64_t frequency = 3;
    EXPECT_EQ(LoopTime(10, frequency, 0), static_cast<float>(10.0 / 3.0));
    // Time before the start reads as negative, not as a wrapped count.
    EXPECT_EQ(LoopTime(0, frequency, 6), -2.0f);
}

TEST(AppExitSequence, OnlyTheFirstEscapeStartsTheClock)
{
    ExitState state;
    EXPECT_TRUE(StartExitSequence(state, 7.25f));
    EXPECT_TRUE(state.exitActive);
    EXPECT_EQ(state.exitStartTime, 7.25f);

    EXPECT_FALSE(StartExitSequence(state, 9.0f));
    EXPECT_TRUE(state.exitActive);
    EXPECT_EQ(state.exitStartTime, 7.25f);
}

TEST(AppFullscreenPlacement, EnteringSavesTheWindowAndCoversTheMonitor)
{
    FullscreenState state;
    const WindowRect maximised{-8, -8, 1288, 728};
    const WindowRect monitor{0, 0, 1280, 720};
    const FullscreenPlacement entered = ToggleFullscreenPlacement(state, 0x16CF0000u, 0x00000100u, maximised, monitor);

    EXPECT_TRUE(state.fullscreenActive);
    EXPECT_EQ(entered.style, kFullscreenStyle);
    EXPECT_EQ(entered.exStyle, kFullscreenExStyle);
    EXPECT_EQ(entered.x, 0);
    EXPECT_EQ(entered.y, 0);
    EXPECT_EQ(entered.width, 1280);
    EXPECT_EQ(entered.height, 720);
}

TEST(AppFullscreenPlacement, TwoTogglesGiveBackTheRectangleAndStylesSavedAtTheFirst)
{
    FullscreenState state;
    const WindowRect window{100, 50, 900, 650};
    const WindowRect monitor{1920, 0, 3840, 1080};
    ToggleFullscreenPlacement(state, 0x14CF0000u, 0x00000100u, window, monitor);

    // The leaving toggle sees the full-screen window; it must not save that.
    const FullscreenPlacement left =
        ToggleFullscreenPlacement(state, kFullscreenStyle, kFullscreenExStyle, monitor, WindowRect{});
    EXPECT_FALSE(state.fullscreenActive);
    EXPECT_EQ(left.style, 0x14CF0000u);
    EXPECT_EQ(left.exStyle, 0x00000100u);
    EXPECT_EQ(left.x, 100);
    EXPECT_EQ(left.y, 50);
    EXPECT_EQ(left.width, 800);
    EXPECT_EQ(left.height, 600);

    // A later pair saves afresh: the window may have moved in between.
    const WindowRect moved{10, 20, 30, 40};
    ToggleFullscreenPlacement(state, 0x10CF0000u, 0u, moved, monitor);
    const FullscreenPlacement again = ToggleFullscreenPlacement(state, kFullscreenStyle, kFullscreenExStyle, monitor, {});
    EXPECT_EQ(again.style, 0x10CF0000u);
    EXPECT_EQ(again.exStyle, 0u);
    EXPECT_EQ(again.x, 10);
    EXPECT_EQ(again.width, 20);
    EXPECT_EQ(again.height, 20);
}

TEST(AppFullscreenPlacement, AZeroMonitorRectangleGivesZeroSize)
{
    FullscreenState state;
    const FullscreenPlacement entered = ToggleFullscreenPlacement(state, 0u, 0u, WindowRect{0, 0, 10, 10}, WindowRect{});
    EXPECT_EQ(entered.width, 0);
    EXPECT_EQ(entered.height, 0);
}

TEST(AppKeyRepeat, OnlyThePreviousKeyStateBitMarksARepeat)
{
    EXPECT_FALSE(IsKeyRepeat(0x00570001u));              // first press of F11: count 1, scan code
    EXPECT_TRUE(IsKeyRepeat(0x40570001u));               // held: bit 30 set
    EXPECT_FALSE(IsKeyRepeat(0x20000001u | 0x80000000u));  // the context and transition bits
}
