#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "support/shader_bench.h"

namespace {

const float kByte = 1.0f / 255.0f;

BenchFrame RenderScene(int width, int height, float time) {
    BenchPass pass;
    pass.entry = "ScenePS";
    pass.width = width;
    pass.height = height;
    pass.constants = MakeBenchConstants(width, height, time);
    BenchFrame frame;
    std::string error;
    EXPECT_TRUE(SharedShaderBench().Render(pass, &frame, &error)) << error;
    return frame;
}

int ByteSum(const BenchFrame& frame, int x, int y) {
    return frame.Byte(x, y, 0) + frame.Byte(x, y, 1) + frame.Byte(x, y, 2);
}

// The lit logo is never darker than its ambient share of the plasma (channel sum >= 0.33); the
// background never reaches a channel sum of 0.18.
bool IsBackground(const BenchFrame& frame, int x, int y) { return ByteSum(frame, x, y) < 64; }

// Distance from the target's centre in target heights.
float CentreDistance(const BenchFrame& frame, int x, int y) {
    const float cx = (x + 0.5f - 0.5f * frame.width) / frame.height;
    const float cy = (y + 0.5f - 0.5f * frame.height) / frame.height;
    return std::sqrt(cx * cx + cy * cy);
}

// Background colour at full fade for a pixel at distance dd.
float BackgroundChannel(float dd, int channel) {
    const float tint[3] = {0.08f, 0.16f, 0.32f};
    const float bg = 0.06f + 0.25f * (1.0f - std::min(1.0f, 1.6f * dd));
    return tint[channel] * bg;
}

TEST(ShaderSceneTest, BlackBeforeAndAtTheStartOfTheFadeIn) {
    for (float time : {2.4999f, 2.5f}) {
        const BenchFrame frame = RenderScene(96, 54, time);
        int lit = 0;
        for (size_t i = 0; i < frame.rgba.size(); i += 4) {
            if (frame.rgba[i] || frame.rgba[i + 1] || frame.rgba[i + 2] || frame.rgba[i + 3] != 255) ++lit;
        }
        EXPECT_EQ(lit, 0) << "time " << time;
    }
}

TEST(ShaderSceneTest, BackgroundBrightensTowardsTheCentre) {
    // Wherever the logo leaves the background visible, its colour follows the distance rule.
    int nearCentre = 0;
    int wrong = 0;
    for (float time : {4.0f, 4.3f, 4.6f, 4.9f}) {
        const BenchFrame frame = RenderScene(192, 108, time);
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                if (!IsBackground(frame, x, y)) continue;
                const float dd = CentreDistance(frame, x, y);
                for (int c = 0; c < 3; ++c) {
                    if (std::fabs(frame.Value(x, y, c) - BackgroundChannel(dd, c)) > kByte) ++wrong;
                }
                if (dd < 0.25f) ++nearCentre;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(nearCentre, 20);
}

TEST(ShaderSceneTest, FarFromTheCentreTheBackgroundIsFlat) {
    // The logo fits in a sphere of radius 2.26 about its centre, 6.6 from the camera, so no ray
    // further than 1.46 target heights from the centre can reach it, whatever its turn.
    const BenchFrame frame = RenderScene(480, 60, 4.5f);
    int checked = 0;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const float dd = CentreDistance(frame, x, y);
            if (dd < 1.47f) continue;
            ++checked;
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(frame.Value(x, y, c), BackgroundChannel(dd, c), kByte)
                    << x << "," << y;
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

TEST(ShaderSceneTest, WindowSizeChangesTheLogoColours) {
    // Two targets of the same height give the same rays on matching columns, so only the
    // plasma's size term can tell them apart. The central ray always meets the T's stem.
    const BenchFrame narrow = RenderScene(128, 72, 4.5f);
    const BenchFrame wide = RenderScene(228, 72, 4.5f);
    int largest = 0;
    for (int d = -4; d < 4; ++d) {
        const int xn = 64 + d;
        const int xw = 114 + d;
        ASSERT_FALSE(IsBackground(narrow, xn, 36));
        ASSERT_FALSE(IsBackground(wide, xw, 36));
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(narrow.Byte(xn, 36, c) - wide.Byte(xw, 36, c)));
    }
    EXPECT_GE(largest, 6);
}

}  // namespace
