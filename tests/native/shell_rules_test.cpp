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

TEST(AppRefreshTicks, UnknownOrImpossibleRatesCountAsSixtyHertz)
{
    const int64_t frequency = 10'000'000;
    EXPECT_EQ(RefreshTicks(144, frequency), 69'444);
    EXPECT_EQ(RefreshTicks(50, frequency), 200'000);
    EXPECT_EQ(RefreshTicks(0, frequency), 166'666);     // the hardware's default
    EXPECT_EQ(RefreshTicks(1, frequency), 166'666);     // likewise
    EXPECT_EQ(RefreshTicks(5000, frequency), 166'666);  // no display refreshes that fast
}

namespace {

// The loop as the pacer sees it, on a clock of plain ticks: each pass takes its length, then the
// loop waits what the pacer says and wakes `late` ticks after that.
struct PacedLoop {
    FramePacer pacer = StartPacer(1000);
    int64_t clock = 0;
    std::vector<int64_t> starts;
    std::vector<int64_t> waits;

    void Run(int passes, int64_t length, int64_t late = 0)
    {
        for (int i = 0; i < passes; ++i) {
            const int64_t start = clock;
            starts.push_back(start);
            clock += length;
            const int64_t wait = PaceAfterPass(pacer, start, clock);
            waits.push_back(wait);
            clock += wait + (wait > 0 ? late : 0);
        }
    }
};

}  // namespace

TEST(AppFramePacing, APresentThatWaitsIsNeverPacedAndNorAreSlowFrames)
{
    PacedLoop loop;
    loop.Run(50, 990);   // Present waited for the blank: a period less the loop's one-millisecond sleep
    loop.Run(50, 3000);  // frames slower than the display
    loop.Run(50, 600);   // between half and three quarters of a period: not proof that Present did not wait
    for (int64_t wait : loop.waits) EXPECT_EQ(wait, 0);
}

TEST(AppFramePacing, AFastPresentIsHeldToOnePeriodAfterSevenPasses)
{
    PacedLoop loop;
    loop.Run(20, 100);
    // The mean falls by an eighth of its distance to 100 each pass (1000, 888, 790, 704, 629, 563,
    // 506, 456): below half a period at the seventh pass.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(loop.waits[i], 0) << i;
    for (int i = 6; i < 20; ++i) EXPECT_EQ(loop.waits[i], 900) << i;
    for (int i = 7; i < 20; ++i) EXPECT_EQ(loop.starts[i] - loop.starts[i - 1], 1000) << i;
}

TEST(AppFramePacing, LateWakeUpsDoNotSlowTheRate)
{
    PacedLoop loop;
    loop.Run(10, 100);
    loop.Run(20, 100, 30);
    // Every wake-up is 30 ticks late, yet the passes stay one period apart: the schedule, not the
    // last wake-up, sets each wait.
    for (int i = 12; i < 30; ++i) {
        EXPECT_EQ(loop.starts[i] - loop.starts[i - 1], 1000) << i;
        EXPECT_EQ(loop.waits[i], 870) << i;
    }
}

TEST(AppFramePacing, ALongPassIsNotCaughtUpWithABurst)
{
    PacedLoop loop;
    loop.Run(20, 100);
    loop.Run(1, 5000);  // a frame held up, by a box or a resize
    EXPECT_EQ(loop.waits.back(), 0);
    loop.Run(3, 100);
    // Pacing goes on, counting from the long pass's end: no shortened waits to make up for it.
    EXPECT_EQ(loop.waits[21], 900);
    EXPECT_EQ(loop.waits[22], 900);
    EXPECT_EQ(loop.starts[22] - loop.starts[21], 1000);
}

TEST(AppFramePacing, PacingHoldsUntilPassesFillThreeQuartersOfAPeriod)
{
    PacedLoop loop;
    loop.Run(20, 100);
    loop.Run(30, 600);  // still pacing: the gap to a period is waited
    for (size_t i = 20; i < loop.waits.size(); ++i) EXPECT_EQ(loop.waits[i], 400) << i;

    loop.Run(30, 800);  // Present waits again, or frames grow slow: pacing ends
    loop.Run(30, 600);  // and does not begin again in between
    for (size_t i = loop.waits.size() - 30; i < loop.waits.size(); ++i) EXPECT_EQ(loop.waits[i], 0) << i;
}
