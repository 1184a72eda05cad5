#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "tools/studio/studio_rules.h"

TEST(StudioTimeline, AdvancesBySpeedNotWhilePausedAndPlaysMusicOnlyAtOne)
{
    Timeline timeline;
    EXPECT_TRUE(MusicAudible(timeline));
    AdvanceTimeline(timeline, 0.5);
    ChangeSpeed(timeline, +1);
    AdvanceTimeline(timeline, 0.25);
    AdvanceTimeline(timeline, -1.0);
    AdvanceTimeline(timeline, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(timeline.t, 1.0);
    EXPECT_FALSE(MusicAudible(timeline));

    for (int i = 0; i < 5; ++i) ChangeSpeed(timeline, +1);
    EXPECT_EQ(TimelineSpeed(timeline), 8.0);
    for (int i = 0; i < 10; ++i) ChangeSpeed(timeline, -1);
    EXPECT_EQ(TimelineSpeed(timeline), 0.125);
    EXPECT_FALSE(MusicAudible(timeline));

    for (int i = 0; i < 3; ++i) ChangeSpeed(timeline, +1);
    timeline.paused = true;
    AdvanceTimeline(timeline, 10.0);
    EXPECT_EQ(timeline.t, 1.0);
    EXPECT_FALSE(MusicAudible(timeline));
}

TEST(StudioTimeline, StepsOneFrameOnlyWhilePausedAndNothingGoesBelowItsFloor)
{
    Timeline timeline;
    timeline.t = 2.0;
    StepTimeline(timeline, 1);
    EXPECT_EQ(timeline.t, 2.0);
    timeline.paused = true;
    StepTimeline(timeline, 1);
    EXPECT_NEAR(timeline.t, 2.0 + 1.0 / 60.0, 1e-12);
    StepTimeline(timeline, -3);
    EXPECT_NEAR(timeline.t, 2.0 - 2.0 / 60.0, 1e-12);

    SeekTimeline(timeline, -10.0);
    StepTimeline(timeline, -1);
    EXPECT_EQ(timeline.t, 0.0);

    // In the end card time moves within it, never before its start.
    SeekTimeline(timeline, 10.0);
    StartEndCard(timeline);
    SeekTimeline(timeline, 1.0);
    EXPECT_EQ(timeline.t, 11.0);
    SeekTimeline(timeline, -10.0);
    EXPECT_EQ(timeline.t, 10.0);
    StepTimeline(timeline, -1);
    EXPECT_EQ(timeline.t, 10.0);
}

TEST(StudioTimeline, EndCardStartsOnceAndReturnsToWhereItWasLeft)
{
    Timeline timeline;
    timeline.t = 12.5;
    ReturnFromEndCard(timeline);
    EXPECT_EQ(timeline.t, 12.5);
    StartEndCard(timeline);
    AdvanceTimeline(timeline, 3.0);
    StartEndCard(timeline);
    EXPECT_TRUE(timeline.exit.exitActive);
    EXPECT_EQ(timeline.exit.exitStartTime, 12.5f);

    ReturnFromEndCard(timeline);
    EXPECT_FALSE(timeline.exit.exitActive);
    EXPECT_EQ(timeline.t, 12.5);

    StartEndCard(timeline);
    HomeTimeline(timeline);
    EXPECT_FALSE(timeline.exit.exitActive);
    EXPECT_EQ(timeline.t, 0.0);
}

TEST(StudioTrack, PlaceIsTheLoopTimeModuloTheTrack)
{
    EXPECT_EQ(TrackSecondsAt(1.0, 2.5), 1.0);
    EXPECT_EQ(TrackSecondsAt(11.25, 2.5), 1.25);  // four loops and 1.25 s
    EXPECT_EQ(TrackSecondsAt(7.5, 2.5), 0.0);
    EXPECT_NEAR(TrackSecondsAt(1000.0, 187.3), 1000.0 - 5 * 187.3, 1e-9);
}

namespace {

// A 240-pixel screen whose centre meets stops at 300 and 900 (and -900 and -300 one period back):
// the text starts at 5 s from offset -240, holds at the first stop (offset 180) from 8.5 s to
// 9.75 s, at the second (offset 780) from about 14.77 s, and finishes at offset 1232 near 19.8 s.
const std::vector<int32_t> kStops{300, 900};
const ScrollCourse kCourse{240, &kStops, 1200, 1232};

auto Fields(const ScrollMotion& m)
{
    return std::make_tuple(m.scrollOffset, m.lastScrollTime, m.pauseUntil, m.scrollArmed, m.scrollStarted,
                           m.scrollFinished, m.scrollPaused);
}

// The show's run from 0: one step at every frame time k/60 s before end.
auto FreshRun(double end)
{
    ScrollMotion motion;
    for (int k = 0; k / 60.0 < end; ++k) UpdateScroller(motion, static_cast<float>(k / 60.0), kCourse);
    return Fields(motion);
}

}  // namespace

TEST(StudioScroller, SeeksForwardAndBackGiveTheRunFromZero)
{
    SteppedScroller stepped;
    for (double t : {8.0, 9.2, 14.3, 6.1}) {
        StepScrollerTo(stepped, t, false, 0.0, kCourse);
        EXPECT_EQ(Fields(stepped.motion), FreshRun(t)) << t;
    }
    // Frames 0 to 365, the last at 6.0833 s: 1.0833 s at 120 pixels a second from -240.
    EXPECT_EQ(stepped.steps, 366);
    EXPECT_NEAR(stepped.motion.scrollOffset, -110.0f, 1e-2f);

    StepScrollerTo(stepped, 9.2, false, 0.0, kCourse);
    EXPECT_TRUE(stepped.motion.scrollPaused);
    EXPECT_NEAR(stepped.motion.scrollOffset, 180.0f, 1e-3f);

    StepScrollerTo(stepped, 3600.0, false, 0.0, kCourse);
    EXPECT_EQ(Fields(stepped.motion), FreshRun(3600.0));
    EXPECT_EQ(stepped.motion.scrollOffset, 1232.0f);
}

TEST(StudioScroller, EndCardHoldsTheScrollerAtItsStart)
{
    Timeline timeline;
    SteppedScroller stepped;
    StepScrollerTo(stepped, 7.0, false, 0.0, kCourse);
    timeline.t = 9.0;
    StartEndCard(timeline);
    for (double t : {9.0, 12.0, 20.0}) {
        timeline.t = t;
        StepScrollerTo(stepped, t, timeline.exit.exitActive, timeline.exit.exitStartTime, kCourse);
    }
    // Frame 540 is at 9.0 s itself and so not yet stepped.
    EXPECT_EQ(stepped.steps, 540);
    EXPECT_EQ(Fields(stepped.motion), FreshRun(9.0));

    ReturnFromEndCard(timeline);
    EXPECT_EQ(timeline.t, 9.0);
    StepScrollerTo(stepped, 16.5, false, 0.0, kCourse);
    EXPECT_EQ(Fields(stepped.motion), FreshRun(16.5));
}

TEST(StudioKeys, ShiftSeeksFarEscapeEndsAndOtherKeysDoNothing)
{
    EXPECT_EQ(KeyAction(0x25, false), StudioAction::SeekBack);
    EXPECT_EQ(KeyAction(0x27, true), StudioAction::SeekForwardFar);
    EXPECT_EQ(KeyAction(0xBE, false), StudioAction::StepForward);
    EXPECT_EQ(KeyAction(0x1B, false), StudioAction::EndCard);
    EXPECT_EQ(KeyAction('A', false), StudioAction::None);
}

TEST(StudioText, HudLineErrorLinesAndStillNames)
{
    HudFigures figures{12.345, 1.0, false, 60.0, {{"scene", 3.14}, {"composite", 0.9}, {"end", 0.0}}, true,
                       "compiled 12:34:56"};
    EXPECT_EQ(HudLine(figures),
              "t 12.345 s  x1  60 fps  scene 3.1 ms  composite 0.9 ms  end 0.0 ms (CPU clock)  shader compiled 12:34:56");
    figures = HudFigures{0.5, 0.25, true, 59.7, {}, false, "error"};
    EXPECT_EQ(HudLine(figures), "t 0.500 s  x1/4  paused  60 fps  shader error");

    const std::string compiler =
        "intro.hlsl(3,5): warning X3206: implicit truncation of vector type\r\n\r\n"
        "intro.hlsl(10,2-4): error X3004: undeclared identifier 'foo'\r\n"
        "intro.hlsl:12:1: E5005: Function \"bar\" is not defined.\n";
    EXPECT_EQ(FirstErrorLines(compiler, 2, 34),
              (std::vector<std::string>{"intro.hlsl(10,2-4): error X3004: u", "intro.hlsl:12:1: E5005: Function \""}));
    EXPECT_EQ(FirstErrorLines(compiler, 5, 100).back(), "intro.hlsl(3,5): warning X3206: implicit truncation of vector type");

    EXPECT_EQ(StillFileName(12.345), "htn_still_000012345ms.png");
    EXPECT_EQ(StillFileName(12.3456), "htn_still_000012346ms.png");
}
