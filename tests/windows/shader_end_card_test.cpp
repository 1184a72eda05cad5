#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/shader_bench.h"

namespace {

const float kByte = 1.0f / 255.0f;
const float kTime = 20.0f;

// The end card over a client area of width x height; its constants carry the half size.
BenchFrame RenderEndCard(int width, int height, float exitT, float time = kTime) {
    BenchPass pass;
    pass.entry = "EndPS";
    pass.width = width;
    pass.height = height;
    pass.constants = MakeBenchConstants(width / 2, height / 2, time);
    pass.constants.exitMode = 1.0f;
    pass.constants.exitT = exitT;
    BenchFrame frame;
    std::string error;
    EXPECT_TRUE(SharedShaderBench().Render(pass, &frame, &error)) << error;
    return frame;
}

// A lit letter is never darker than its ambient share of the plasma (channel sum >= 0.33); the
// background's brightest, the brown, sums to 0.19.
bool IsLetter(const BenchFrame& frame, int x, int y) {
    return frame.Byte(x, y, 0) + frame.Byte(x, y, 1) + frame.Byte(x, y, 2) >= 64;
}

void ExpectColour(const BenchFrame& frame, int x, int y, float r, float g, float b) {
    EXPECT_NEAR(frame.Value(x, y, 0), r, kByte) << x << "," << y;
    EXPECT_NEAR(frame.Value(x, y, 1), g, kByte) << x << "," << y;
    EXPECT_NEAR(frame.Value(x, y, 2), b, kByte) << x << "," << y;
}

TEST(ShaderEndCardTest, FadesInFromBlackOverSixTenthsOfASecond) {
    const BenchFrame start = RenderEndCard(192, 108, 0.0f);
    int lit = 0;
    for (size_t i = 0; i < start.rgba.size(); i += 4) lit += start.rgba[i] || start.rgba[i + 1] || start.rgba[i + 2];
    EXPECT_EQ(lit, 0);

    const BenchFrame half = RenderEndCard(192, 108, 0.3f);
    ExpectColour(half, 0, 0, 0.5f * 0.02f, 0.5f * 0.02f, 0.5f * 0.03f);
    ExpectColour(half, 0, 107, 0.5f * 0.10f, 0.5f * 0.06f, 0.5f * 0.03f);
    const BenchFrame full = RenderEndCard(192, 108, 0.6f);
    ExpectColour(full, 0, 0, 0.02f, 0.02f, 0.03f);
    ExpectColour(full, 0, 107, 0.10f, 0.06f, 0.03f);
}

TEST(ShaderEndCardTest, OnlyTimeMovesThePictureOnceEveryLetterRests) {
    const BenchFrame rested = RenderEndCard(320, 180, 3.9f);
    const BenchFrame later = RenderEndCard(320, 180, 4.5f);
    EXPECT_TRUE(rested.rgba == later.rgba);
    // The N is still turning just before 3.80 s.
    const BenchFrame turning = RenderEndCard(320, 180, 3.7f);
    EXPECT_FALSE(turning.rgba == rested.rgba);
}

TEST(ShaderEndCardTest, FullHdLayoutAtRest) {
    const BenchFrame frame = RenderEndCard(1920, 1080, 5.0f);

    // Row 234 crosses every letter; the row runs from the H's left post to the N's right post.
    int left = -1, right = -1;
    for (int x = 0; x < frame.width; ++x) {
        if (!IsLetter(frame, x, 234)) continue;
        if (left < 0) left = x;
        right = x;
    }
    // In the letters' middle plane the row spans 410 to 1470; the front faces, 0.11 nearer the
    // camera, reach about 1.2 % further from the screen's centre, which shows on the far right.
    EXPECT_NEAR(left, 410, 5);
    EXPECT_GE(right, 1468);
    EXPECT_LE(right, 1486);
    EXPECT_NEAR((left + right) / 2, 940, 10);

    // Column 430 runs down the H's left post.
    int top = -1, bottom = -1;
    for (int y = 0; y < frame.height; ++y) {
        if (!IsLetter(frame, 430, y)) continue;
        if (top < 0) top = y;
        bottom = y;
    }
    EXPECT_NEAR(top, 122, 4);
    EXPECT_NEAR(bottom, 345, 4);

    // The N (centre near 1397, 234) has its diagonal from lower left to upper right on the screen.
    EXPECT_TRUE(IsLetter(frame, 1397 + 21, 234 - 42));
    EXPECT_FALSE(IsLetter(frame, 1397 - 21, 234 - 42));
    EXPECT_TRUE(IsLetter(frame, 1397 - 21, 234 + 42));
    EXPECT_FALSE(IsLetter(frame, 1397 + 21, 234 + 42));

    // Left of the letters: the flat top colour above 27.5 % of the height, the gradient down to
    // half the height, the flat brown below.
    for (int y = 0; y < 296; ++y) ExpectColour(frame, 5, y, 0.02f, 0.02f, 0.03f);
    for (int y = 541; y < frame.height; ++y) ExpectColour(frame, 5, y, 0.10f, 0.06f, 0.03f);
    for (int y = 297; y <= 540; ++y) EXPECT_GE(frame.Byte(5, y, 0), frame.Byte(5, y - 1, 0)) << "row " << y;
    EXPECT_GT(frame.Byte(5, 420, 0), frame.Byte(5, 300, 0));
    EXPECT_LT(frame.Byte(5, 420, 0), frame.Byte(5, 540, 0));
}

TEST(ShaderEndCardTest, LettersComeToRestOneAfterAnother) {
    // 960 x 540 client: slot i's centre is at x = 240 + 69.75 * (1.31 * (i - 2.5) + 3.30). A letter
    // at rest reaches 37 pixels from it; its turning neighbours come no nearer than 40.
    const BenchFrame allRest = RenderEndCard(960, 540, 4.3f);
    auto silhouetteChanges = [&allRest](const BenchFrame& frame, int slot) {
        const int centre = static_cast<int>(240.0 + 69.75 * (1.31 * (slot - 2.5) + 3.30));
        int changed = 0;
        for (int y = 40; y < 200; ++y)
            for (int x = centre - 40; x <= centre + 40; ++x) changed += IsLetter(frame, x, y) != IsLetter(allRest, x, y);
        return changed;
    };
    for (int slot = 0; slot < 6; ++slot) {
        const float restsAt = 1.55f + 0.45f * slot;
        EXPECT_LE(silhouetteChanges(RenderEndCard(960, 540, restsAt), slot), 4) << "slot " << slot;
        EXPECT_GT(silhouetteChanges(RenderEndCard(960, 540, restsAt - 0.1f), slot), 200) << "slot " << slot;
    }
}

}  // namespace
