#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/shader_bench.h"

namespace {

const float kByte = 1.0f / 255.0f;
const double kPi = 3.14159265358979323846;

// A 160-row target puts the band's top at row 80 - 64 = 16.
const int kWidth = 256;
const int kHeight = 160;

// A ScrollerMask-like texture: coverage per texel, stored as B8G8R8A8 grey.
struct Mask {
    int width;
    std::vector<uint8_t> coverage;

    explicit Mask(int maskWidth) : width(maskWidth), coverage(static_cast<size_t>(maskWidth) * 128, 0) {}
    void Fill(int x0, int x1, int y0, int y1, uint8_t value) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) coverage[static_cast<size_t>(y) * width + x] = value;
    }
    BenchTexture Texture() const {
        BenchTexture texture{width, 128, {}};
        for (uint8_t c : coverage) texture.pixels.insert(texture.pixels.end(), {c, c, c, 255});
        return texture;
    }
};

BenchFrame RenderWithMask(const Mask& mask, float time, float scroll) {
    const BenchTexture texture = mask.Texture();
    BenchPass pass;
    pass.entry = "ScenePS";
    pass.width = kWidth;
    pass.height = kHeight;
    pass.constants = MakeBenchConstants(kWidth, kHeight, time);
    pass.constants.scroll = scroll;
    pass.constants.maskTexel[0] = 1.0f / mask.width;
    pass.constants.maskTexel[1] = 1.0f / 128.0f;
    pass.mask = &texture;
    BenchFrame frame;
    std::string error;
    EXPECT_TRUE(SharedShaderBench().Render(pass, &frame, &error)) << error;
    return frame;
}

bool SamePixel(const BenchFrame& a, const BenchFrame& b, int x, int y) {
    return a.Byte(x, y, 0) == b.Byte(x, y, 0) && a.Byte(x, y, 1) == b.Byte(x, y, 1) &&
           a.Byte(x, y, 2) == b.Byte(x, y, 2);
}

bool IsWhite(const BenchFrame& frame, int x, int y) {
    return frame.Byte(x, y, 0) == 255 && frame.Byte(x, y, 1) == 255 && frame.Byte(x, y, 2) == 255;
}

// Text grey lit by the fill and rim terms alone, as on an edge whose gradient is gy = -1.
const float kDownEdge[3] = {0.5466f, 0.5594f, 0.5723f};

// Column 128 with scroll -1 reads mask column 127. At this time the wave's phase there is 4 pi,
// so the band has no offset: target row y reads mask row 143 - y at its texel centre.
class ShaderScrollerRowsTest : public testing::Test {
protected:
    static constexpr int kColumn = 128;
    static constexpr float kScroll = -1.0f;
    const float time = static_cast<float>((4.0 * kPi - 127.5 * 2.0 * kPi / 240.0) / 1.2);

    // The text block covers mask rows 0 to 63, the top half of the text.
    static Mask Block(uint8_t belowBlock) {
        Mask mask(256);
        mask.Fill(64, 191, 0, 63, 255);
        mask.Fill(127, 127, 64, 64, belowBlock);
        return mask;
    }
};

TEST_F(ShaderScrollerRowsTest, TextIsWhiteInsideWithItsShadowSixRowsFurtherDown) {
    const BenchFrame plain = RenderWithMask(Mask(256), time, kScroll);
    const BenchFrame text = RenderWithMask(Block(0), time, kScroll);

    for (int y = 20; y <= 73; ++y) EXPECT_TRUE(SamePixel(plain, text, kColumn, y)) << "row " << y;
    // Mask rows 69 to 64 are empty, but the shadow reads the rows 6 further on: 63 to 58.
    for (int y = 74; y <= 79; ++y) {
        ASSERT_GT(plain.Byte(kColumn, y, 2), 40) << "row " << y << " too dark to see a shadow";
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(text.Value(kColumn, y, c), 0.8425f * plain.Value(kColumn, y, c), kByte) << "row " << y;
        }
    }
    // Mask row 63, the text's lower edge, faces down the screen.
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(text.Value(kColumn, 80, c), kDownEdge[c], 1.5f * kByte);
    for (int y = 81; y <= 142; ++y) EXPECT_TRUE(IsWhite(text, kColumn, y)) << "row " << y;
}

TEST_F(ShaderScrollerRowsTest, FaintCoverageGetsTheShadowButNoOutline) {
    const BenchFrame plain = RenderWithMask(Mask(256), time, kScroll);
    // Row 79 reads mask row 64: coverage 5/255 stays at or below 0.02, 6/255 does not.
    const BenchFrame faint = RenderWithMask(Block(5), time, kScroll);
    const BenchFrame covered = RenderWithMask(Block(6), time, kScroll);
    const float a = 6.0f / 255.0f;
    const float outlineColour[3] = {0.06f, 0.06f, 0.07f};
    for (int c = 0; c < 3; ++c) {
        const float shadowed = 0.8425f * plain.Value(kColumn, 79, c);
        EXPECT_NEAR(faint.Value(kColumn, 79, c), shadowed, kByte);
        const float outlined = shadowed + (outlineColour[c] - shadowed) * 0.65f * (1.0f - a);
        EXPECT_NEAR(covered.Value(kColumn, 79, c), outlined + (kDownEdge[c] - outlined) * a, 1.5f * kByte);
    }
}

TEST(ShaderScrollerTest, NothingBeforeFiveSecondsAndDrawnAtFiveExactly) {
    Mask mask(256);
    mask.Fill(64, 191, 0, 127, 255);
    const float scroll = -1.0f;
    for (float time : {4.9999f, 5.0f}) {
        const BenchFrame plain = RenderWithMask(Mask(256), time, scroll);
        const BenchFrame text = RenderWithMask(mask, time, scroll);
        int changed = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) changed += SamePixel(plain, text, x, y) ? 0 : 1;
        if (time < 5.0f) {
            EXPECT_EQ(changed, 0);
        } else {
            EXPECT_GT(changed, 1000);
            EXPECT_TRUE(IsWhite(text, 128, 80));
        }
    }
}

TEST(ShaderScrollerTest, OutsideTheGateThereIsNeitherTextNorShadow) {
    // A 128-texel mask whose first and last columns are covered from top to bottom. With scroll
    // -60, target column x reads mask column x - 60.
    Mask mask(128);
    mask.Fill(0, 0, 0, 127, 255);
    mask.Fill(127, 127, 0, 127, 255);
    const float time = 5.0f;
    const BenchFrame plain = RenderWithMask(Mask(128), time, -60.0f);
    const BenchFrame text = RenderWithMask(mask, time, -60.0f);
    for (int y = 60; y <= 100; ++y) {
        EXPECT_TRUE(SamePixel(plain, text, 59, y)) << "left of the text, row " << y;
        EXPECT_TRUE(IsWhite(text, 60, y)) << "first column, row " << y;
        EXPECT_TRUE(SamePixel(plain, text, 187, y)) << "last column, row " << y;
    }
}

}  // namespace
