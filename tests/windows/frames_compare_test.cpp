#include <gtest/gtest.h>

#include "tools/frames/image_compare.h"

namespace {

RgbaImage Uniform(int width, int height, uint8_t value)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<size_t>(width) * height * 4, value);
    return image;
}

void SetChannel(RgbaImage& image, int x, int y, int channel, uint8_t value)
{
    image.rgba[(static_cast<size_t>(y) * image.width + x) * 4 + channel] = value;
}

TEST(FramesCompare, CountsPixelsBeyondTheChannelToleranceAndIgnoresAlpha)
{
    const RgbaImage expected = Uniform(10, 10, 100);
    RgbaImage actual = expected;
    SetChannel(actual, 0, 0, 0, 102);  // at the tolerance: not an outlier
    SetChannel(actual, 1, 0, 1, 97);   // 3 below: an outlier
    SetChannel(actual, 2, 0, 2, 110);  // 10 above: an outlier
    SetChannel(actual, 3, 0, 3, 0);    // alpha is not compared
    const FrameDifference difference = CompareFrames(expected, actual, 2);
    EXPECT_TRUE(difference.sameSize);
    EXPECT_EQ(difference.pixels, 100);
    EXPECT_EQ(difference.outliers, 2);
    EXPECT_EQ(difference.largestLevels, 10);
}

TEST(FramesCompare, AllowsOnlyTheStatedShareOfOutliers)
{
    FrameDifference difference;
    difference.sameSize = true;
    difference.pixels = 1000;
    FrameTolerance tolerance;
    tolerance.outlierFraction = 0.002;
    difference.outliers = 2;
    EXPECT_TRUE(WithinTolerance(difference, tolerance));
    difference.outliers = 3;
    EXPECT_FALSE(WithinTolerance(difference, tolerance));
}

TEST(FramesCompare, PicturesOfDifferentSizesNeverMatch)
{
    const FrameDifference difference = CompareFrames(Uniform(4, 2, 0), Uniform(2, 4, 0), 255);
    EXPECT_FALSE(difference.sameSize);
    EXPECT_FALSE(WithinTolerance(difference, FrameTolerance()));
    EXPECT_TRUE(DifferenceImage(Uniform(4, 2, 0), Uniform(2, 4, 0), 2).rgba.empty());
}

TEST(FramesCompare, DifferenceImageMarksOutliersRedOverTheDimmedPicture)
{
    const RgbaImage expected = Uniform(2, 1, 90);
    RgbaImage actual = expected;
    SetChannel(actual, 1, 0, 1, 140);
    const RgbaImage image = DifferenceImage(expected, actual, 2);
    ASSERT_EQ(image.rgba.size(), 8u);
    EXPECT_EQ(image.rgba[0], 30);  // a third of the grey
    EXPECT_EQ(image.rgba[1], 30);
    EXPECT_EQ(image.rgba[2], 30);
    EXPECT_EQ(image.rgba[4], 255);  // 50 levels off: full red
    EXPECT_EQ(image.rgba[5], 0);
    EXPECT_EQ(image.rgba[6], 0);
    EXPECT_EQ(image.rgba[7], 255);
}

}  // namespace
