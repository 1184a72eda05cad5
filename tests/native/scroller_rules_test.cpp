#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scroller/scroller_rules.h"
#include "shaders/shader_source.h"

namespace {

// The C locale's ASCII white space, so the cases do not depend on the platform's iswspace.
bool AsciiWhiteSpace(char16_t unit)
{
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

std::u16string Normalise(std::u16string_view message)
{
    return NormaliseScrollerText(message, AsciiWhiteSpace);
}

}  // namespace

TEST(ScrollerText, EmbeddedMessageGivesThePrintedText)
{
    const std::u16string expected =
        u" WELCOME TO A SLIGHTLY SPECIAL %HITTEN PRODUCTION% \u2022 ABOUT 30 YEARS AGO I WAS A MEMBER OF "
        u"% \u2022 HITTEN \u2022 % AS A SWAPPER AND SOME MIGHT REMEMBER ME AS % \u2022 DORV \u2022 % \u2022 "
        u"AS A TRIBUTE TO THE OLD DAYS AND TO ALL THE GREAT MEMBERS OF %HITTEN% AND THE SCENE I MADE THIS "
        u"LITTLE BIG INTRO DEMO \u2022 ENJOY THE MUSIC AND TAKE CARE \u2665 ";
    ASSERT_EQ(std::u16string_view(ScrollerMessage).size(), 313u);
    EXPECT_EQ(expected.size(), 315u);
    EXPECT_EQ(BuildScrollerText(), expected);
    EXPECT_EQ(Normalise(ScrollerMessage), expected);
}

TEST(ScrollerText, ShortInputs)
{
    EXPECT_EQ(Normalise(u""), u"");
    EXPECT_EQ(Normalise(u"\u2022"), u"\u2022");
    EXPECT_EQ(Normalise(u"A\u2022"), u"A\u2022");
    EXPECT_EQ(Normalise(u"\u2022\u2022"), u"\u2022\u2022");
}

TEST(ScrollerText, BulletsAreSetOffExceptAtTheEnds)
{
    EXPECT_EQ(Normalise(u"A\u2022B"), u"A \u2022 B");
    EXPECT_EQ(Normalise(u"\u2022AB\u2022"), u"\u2022AB\u2022");
    EXPECT_EQ(Normalise(u"A \u2022 B"), u"A \u2022 B");
    EXPECT_EQ(Normalise(u"A\u2022\u2022B"), u"A \u2022 \u2022 B");
    EXPECT_EQ(Normalise(u"A\u2022 B"), u"A \u2022 B");
}

TEST(ScrollerText, WhiteSpaceOutsideSegmentsCollapsesToOneBlank)
{
    EXPECT_EQ(Normalise(u"A\t\r\nB"), u"A B");
    EXPECT_EQ(Normalise(u"  A  "), u" A ");
    EXPECT_EQ(Normalise(u"\nA\v\fB\n"), u" A B ");
    EXPECT_EQ(Normalise(u" \t "), u" ");
}

TEST(ScrollerText, SegmentsAreTrimmedButNotCollapsed)
{
    EXPECT_EQ(Normalise(u"%  WORD  %"), u"%WORD%");
    EXPECT_EQ(Normalise(u"%A \n  B%"), u"%A \n  B%");
    EXPECT_EQ(Normalise(u"% \t\n%"), u"%%");
    EXPECT_EQ(Normalise(u"%%"), u"%%");
}

TEST(ScrollerText, UnterminatedSegmentIsClosedAtTheEnd)
{
    EXPECT_EQ(Normalise(u"A%B"), u"A%B%");
    EXPECT_EQ(Normalise(u"%"), u"%%");
    EXPECT_EQ(Normalise(u"A% B \n"), u"A%B%");
    EXPECT_EQ(Normalise(u"A%B %C  "), u"A%B%C ");
}

TEST(ScrollerText, BulletsInsideSegmentsGetTheirBlanksInside)
{
    EXPECT_EQ(Normalise(u"%\u2022X\u2022%"), u"% \u2022 X \u2022 %");
    EXPECT_EQ(Normalise(u"%X%\u2022%Y%"), u"%X% \u2022 %Y%");
}

TEST(ScrollerText, BlanksAroundSegmentsSurvive)
{
    EXPECT_EQ(Normalise(u"A %B% C"), u"A %B% C");
    EXPECT_EQ(Normalise(u"A  \n%B%\n  C"), u"A %B% C");
    EXPECT_EQ(Normalise(u"A%B%%C%D"), u"A%B%%C%D");
}

TEST(ScrollerText, RuntimeClassifierTakesTheControlsAndTheBlank)
{
    for (const char16_t unit : {u'\t', u'\n', u'\v', u'\f', u'\r', u' '}) {
        EXPECT_TRUE(IsRuntimeWhiteSpace(unit)) << static_cast<int>(unit);
    }
    for (const char16_t unit : {u'%', u'A', u'\u2022', u'\u2665', u'\0'}) {
        EXPECT_FALSE(IsRuntimeWhiteSpace(unit)) << static_cast<int>(unit);
    }
}

namespace {

// 10 pixels a unit plus 3 for the run's side bearing, so measuring slices of one run would differ.
int32_t MeasureWithBearing(std::u16string_view text)
{
    return text.empty() ? 0 : static_cast<int32_t>(text.size()) * 10 + 3;
}

}  // namespace

TEST(ScrollerLayout, StopIsPrefixWidthPlusHalfTheSegment)
{
    const ScrollerLayout layout = LayoutScrollerText(u"AB%CDE%F", MeasureWithBearing);
    EXPECT_EQ(layout.displayText, u"ABCDEF");
    // 23 for "AB", 33 / 2 for "CDE".
    EXPECT_EQ(layout.stopPoints, (std::vector<int32_t>{23 + 16}));
    EXPECT_EQ(layout.width, 63);
}

TEST(ScrollerLayout, EmptyAndUnterminatedSegments)
{
    const ScrollerLayout empty = LayoutScrollerText(u"ABCDE%%", MeasureWithBearing);
    EXPECT_EQ(empty.displayText, u"ABCDE");
    EXPECT_EQ(empty.stopPoints, (std::vector<int32_t>{53}));

    const ScrollerLayout open = LayoutScrollerText(u"A%BC", MeasureWithBearing);
    EXPECT_EQ(open.displayText, u"ABC");
    EXPECT_EQ(open.stopPoints, (std::vector<int32_t>{13 + 11}));
    EXPECT_EQ(open.width, 33);
}

TEST(ScrollerLayout, EqualSegmentsGiveOneStopEachInTextOrder)
{
    const ScrollerLayout layout = LayoutScrollerText(u"%X% %X%", MeasureWithBearing);
    EXPECT_EQ(layout.displayText, u"X X");
    EXPECT_EQ(layout.stopPoints, (std::vector<int32_t>{6, 23 + 6}));
}

TEST(ScrollerLayout, WidthIsAtLeastOne)
{
    const ScrollerLayout empty = LayoutScrollerText(u"", MeasureWithBearing);
    EXPECT_EQ(empty.displayText, u"");
    EXPECT_TRUE(empty.stopPoints.empty());
    EXPECT_EQ(empty.width, 1);

    const ScrollerLayout unmeasured = LayoutScrollerText(u"A%B%", [](std::u16string_view) { return 0; });
    EXPECT_EQ(unmeasured.stopPoints, (std::vector<int32_t>{0}));
    EXPECT_EQ(unmeasured.width, 1);
}

TEST(ScrollerMaskWidth, PowerOfTwoHoldingScreenMarginAndText)
{
    EXPECT_EQ(ChooseMaskWidth(960, 7000, 0xb000), 8192);
    EXPECT_EQ(ChooseMaskWidth(960, 8192 - 1024, 0xb000), 8192);
    EXPECT_EQ(ChooseMaskWidth(960, 8192 - 1023, 0xb000), 16384);
    EXPECT_EQ(ChooseMaskWidth(0, 1, 0xb000), 128);
    EXPECT_EQ(ChooseMaskWidth(-100, 1, 0xb000), 1);
}

TEST(ScrollerMaskWidth, CappedByFeatureLevel)
{
    EXPECT_EQ(ChooseMaskWidth(960, 15000, 0xb000), 16384);
    EXPECT_EQ(ChooseMaskWidth(960, 15000, 0xb100), 16384);
    EXPECT_EQ(ChooseMaskWidth(960, 15000, 0xa000), 8192);
    EXPECT_EQ(ChooseMaskWidth(960, 2000000000, 0xb000), 16384);
}

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

namespace {

// The shader shows the scroller layer from its own T_SCROLL; the motion must start at the same time,
// or the text would pop in mid-screen or wait off it.
TEST(ScrollerMotion, StartsAtTheShadersScrollTime)
{
    const std::string source(ShaderSource, ShaderSourceSize);
    const std::string declaration = "static const float T_SCROLL = ";
    const std::size_t at = source.find(declaration);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::stof(source.substr(at + declaration.size())), kScrollStartTime);
}

}  // namespace
