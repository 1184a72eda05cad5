#include <gtest/gtest.h>

#include <vector>

#include "scroller/scroll_motion.h"

namespace {

constexpr int32_t kOffscreenWidth = 960;  // centre at mask column scrollOffset + 480
constexpr float kFrame = 1.0f / 64.0f;    // 1.875 pixels a frame, exact in float

struct Course {
    std::vector<int32_t> stops;
    int32_t period;
    int32_t limit;

    ScrollCourse View() const { return ScrollCourse{kOffscreenWidth, &stops, period, limit}; }
};

// A running scroller with the given offset whose previous step was at loop time `last`.
ScrollMotion RunningAt(float offset, double last)
{
    ScrollMotion motion;
    motion.scrollStarted = true;
    motion.scrollOffset = offset;
    motion.lastScrollTime = last;
    return motion;
}

// Runs the show frame by frame from 4.9 s and returns the offsets at which each pause began.
std::vector<float> PauseOffsets(const Course& course, ScrollMotion& motion)
{
    std::vector<float> pauses;
    UpdateScroller(motion, 4.9f, course.View());
    for (int frame = 0; frame < 100000 && !motion.scrollFinished; ++frame) {
        const bool wasPaused = motion.scrollPaused;
        UpdateScroller(motion, kScrollStartTime + static_cast<float>(frame) * kFrame, course.View());
        if (!wasPaused && motion.scrollPaused && !motion.scrollFinished) {
            pauses.push_back(motion.scrollOffset);
        }
    }
    return pauses;
}

}  // namespace

TEST(ScrollerMotion, WaitsThenStartsFromTheRightEdgeWithAZeroStep)
{
    const Course course{{}, 1000, 1032};
    ScrollMotion motion;
    UpdateScroller(motion, 4.9f, course.View());
    EXPECT_TRUE(motion.scrollArmed);
    EXPECT_FALSE(motion.scrollStarted);
    EXPECT_EQ(motion.scrollOffset, 0.0f);

    UpdateScroller(motion, 5.25f, course.View());
    EXPECT_TRUE(motion.scrollStarted);
    EXPECT_FALSE(motion.scrollArmed);
    EXPECT_EQ(motion.scrollOffset, -960.0f);
    EXPECT_EQ(motion.lastScrollTime, 5.25);

    UpdateScroller(motion, 5.75f, course.View());
    EXPECT_EQ(motion.scrollOffset, -960.0f + 60.0f);
}

TEST(ScrollerMotion, TimeGoingBackwardsStepsZeroButIsRecorded)
{
    const Course course{{}, 1000, 1032};
    ScrollMotion motion = RunningAt(100.0f, 8.0);
    AdvanceScroller(motion, 7.5, course.View());
    EXPECT_EQ(motion.scrollOffset, 100.0f);
    EXPECT_EQ(motion.lastScrollTime, 7.5);
    AdvanceScroller(motion, 8.0, course.View());
    EXPECT_EQ(motion.scrollOffset, 160.0f);
}

TEST(ScrollerMotion, WithoutStopsOrPeriodRunsThroughToTheLimit)
{
    for (const Course& course : {Course{{}, 1000, 1032}, Course{{600}, 0, 1032}, Course{{600}, -5, 1032}}) {
        ScrollMotion motion;
        EXPECT_TRUE(PauseOffsets(course, motion).empty());
        EXPECT_TRUE(motion.scrollFinished);
        EXPECT_TRUE(motion.scrollPaused);
        EXPECT_EQ(motion.scrollOffset, 1032.0f);
    }
}

TEST(ScrollerMotion, StopAtOldColumnIsNotRetakenStopAtNewColumnIs)
{
    const Course course{{600}, 2000, 2032};
    ScrollMotion atOld = RunningAt(120.0f, 10.0);  // centre exactly on 600
    AdvanceScroller(atOld, 10.5, course.View());
    EXPECT_FALSE(atOld.scrollPaused);
    EXPECT_EQ(atOld.scrollOffset, 180.0f);

    ScrollMotion toNew = RunningAt(60.0f, 10.0);  // centre reaches 600 exactly
    AdvanceScroller(toNew, 10.5, course.View());
    EXPECT_TRUE(toNew.scrollPaused);
    EXPECT_EQ(toNew.scrollOffset, 120.0f);
    EXPECT_EQ(toNew.pauseUntil, 11.75);
}

TEST(ScrollerMotion, LongStepPausesAtTheNearestStopAndSnapsBack)
{
    const Course course{{700, 620, 650}, 2000, 2032};
    ScrollMotion motion = RunningAt(0.0f, 10.0);  // centre 480 -> 720
    AdvanceScroller(motion, 12.0, course.View());
    EXPECT_TRUE(motion.scrollPaused);
    EXPECT_EQ(motion.scrollOffset, 620.0f - 480.0f);
}

TEST(ScrollerMotion, EqualStopsGiveOnePause)
{
    const Course course{{600, 600}, 2000, 2032};
    ScrollMotion motion;
    EXPECT_EQ(PauseOffsets(course, motion), (std::vector<float>{120.0f}));
    EXPECT_EQ(motion.scrollOffset, 2032.0f);
}

TEST(ScrollerMotion, PauseEndsAtFirstFrameAtOrAfterItsEndAndMotionResumesNextFrame)
{
    const Course course{{600}, 2000, 2032};
    ScrollMotion motion = RunningAt(60.0f, 10.0);
    AdvanceScroller(motion, 10.5, course.View());
    ASSERT_TRUE(motion.scrollPaused);

    AdvanceScroller(motion, 11.5, course.View());
    EXPECT_TRUE(motion.scrollPaused);
    EXPECT_EQ(motion.scrollOffset, 120.0f);

    AdvanceScroller(motion, 11.75, course.View());
    EXPECT_FALSE(motion.scrollPaused);
    EXPECT_EQ(motion.scrollOffset, 120.0f);

    AdvanceScroller(motion, 12.0, course.View());
    EXPECT_EQ(motion.scrollOffset, 150.0f);
}

TEST(ScrollerMotion, StepReachingTheLimitEndsThereEvenPastAStop)
{
    const Course course{{600}, 118, 150};
    ScrollMotion motion = RunningAt(60.0f, 10.0);  // centre 540 -> 660 crosses 600
    AdvanceScroller(motion, 11.0, course.View());
    EXPECT_TRUE(motion.scrollFinished);
    EXPECT_TRUE(motion.scrollPaused);
    EXPECT_EQ(motion.scrollOffset, 150.0f);

    UpdateScroller(motion, 20.0f, course.View());
    EXPECT_EQ(motion.scrollOffset, 150.0f);
}

TEST(ScrollerMotion, StopsRepeatByThePeriod)
{
    // While the centre is left of column 0, the stop at 900 also counts at 900 - 1000.
    const Course course{{900}, 1000, 1032};
    ScrollMotion motion;
    EXPECT_EQ(PauseOffsets(course, motion), (std::vector<float>{-580.0f, 420.0f}));
    EXPECT_EQ(motion.scrollOffset, 1032.0f);
}

TEST(ScrollerMotion, FirstFrameAfterStartTimeWithoutArmingAdvancesFromTheFields)
{
    const Course course{{}, 1000, 1032};
    ScrollMotion motion;
    UpdateScroller(motion, 6.0f, course.View());
    EXPECT_FALSE(motion.scrollStarted);
    EXPECT_EQ(motion.scrollOffset, 0.0f);
    UpdateScroller(motion, 6.5f, course.View());
    EXPECT_EQ(motion.scrollOffset, 60.0f);
}
