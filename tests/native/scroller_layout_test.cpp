#include <gtest/gtest.h>

#include <vector>

#include "scroller/scroller_layout.h"

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
