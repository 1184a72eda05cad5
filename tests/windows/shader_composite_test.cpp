#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/shader_bench.h"

namespace {

const float kByte = 1.0f / 255.0f;

BenchTexture UniformInput(int width, int height, uint8_t value) {
    BenchTexture image{width, height, {}};
    for (int i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), {value, value, value, 255});
    return image;
}

class ShaderCompositeTest : public testing::TestWithParam<ProfileFamily> {
protected:
    // The composite of an input texture over a client area of width x height, with the
    // constants of an offscreen target of the input's size.
    BenchFrame Composite(const BenchTexture& input, int width, int height) {
        BenchPass pass;
        pass.entry = "CompositePS";
        pass.profiles = GetParam();
        pass.width = width;
        pass.height = height;
        pass.constants = MakeBenchConstants(input.width, input.height, 7.0f);
        pass.input = &input;
        BenchFrame frame;
        std::string error;
        EXPECT_TRUE(SharedShaderBench().Render(pass, &frame, &error)) << error;
        return frame;
    }
};

// The vertex shader's uv, drawn by a pixel shader that exists only here.
TEST_P(ShaderCompositeTest, UvRunsFromBottomLeftToTopRight) {
    BenchPass pass;
    pass.entry = "UvPS";
    pass.extraSource = "\nfloat4 UvPS(VSOut i) : SV_Target { return float4(i.uv, 0.0, 1.0); }\n";
    pass.profiles = GetParam();
    pass.width = 64;
    pass.height = 32;
    BenchFrame frame;
    std::string error;
    ASSERT_TRUE(SharedShaderBench().Render(pass, &frame, &error)) << error;

    EXPECT_NEAR(frame.Value(0, 0, 0), 0.0f, 0.01f);
    EXPECT_NEAR(frame.Value(0, 0, 1), 1.0f, 0.02f);
    EXPECT_NEAR(frame.Value(0, 31, 0), 0.0f, 0.01f);
    EXPECT_NEAR(frame.Value(0, 31, 1), 0.0f, 0.02f);
    EXPECT_NEAR(frame.Value(63, 0, 0), 1.0f, 0.01f);
    int wrong = 0;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const float u = (x + 0.5f) / frame.width;
            const float v = 1.0f - (y + 0.5f) / frame.height;
            if (std::fabs(frame.Value(x, y, 0) - u) > kByte || std::fabs(frame.Value(x, y, 1) - v) > kByte) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Input 128/255 stands for the grey 0.5; expectations are scaled to it.
TEST_P(ShaderCompositeTest, GreyInputShowsScanLinePairsAndVignette) {
    const BenchTexture input = UniformInput(40, 30, 128);
    const BenchFrame frame = Composite(input, 80, 60);
    ASSERT_EQ(frame.width, 80);
    const float grey = 128.0f / 255.0f;
    const float scale = grey / 0.5f;

    // Rows counted from the bottom of the screen: 0 and 1 darkened, 2 and 3 not, and so on.
    for (int y = 20; y < 40; ++y) {
        const int fromBottom = frame.height - 1 - y;
        const float expected = ((fromBottom / 2) % 2 == 0 ? 0.485f : 0.5f) * scale;
        EXPECT_NEAR(frame.Value(40, y, 0), expected, kByte) << "row " << y;
        EXPECT_NEAR(frame.Value(40, y, 2), expected, kByte) << "row " << y;
    }
    EXPECT_NEAR(frame.Value(0, frame.height - 1, 1), 0.4726f * scale, 1.5f * kByte);
    EXPECT_NEAR(frame.Value(frame.width - 1, frame.height - 1, 1), 0.4726f * scale, 1.5f * kByte);
    EXPECT_NEAR(frame.Value(0, 0, 1), 0.4872f * scale, 1.5f * kByte);
    EXPECT_NEAR(frame.Value(frame.width - 1, 0, 1), 0.4872f * scale, 1.5f * kByte);
    EXPECT_EQ(frame.Byte(0, 0, 3), 255);
}

TEST_P(ShaderCompositeTest, BottomScreenRowIsAlwaysDarkened) {
    // A client height that is not twice the target's still starts with a darkened band: here the
    // bands are 50 / 17 screen rows high, so rows 0 to 2 from the bottom are dark and row 3 is not.
    const BenchTexture input = UniformInput(20, 17, 255);
    const BenchFrame frame = Composite(input, 40, 50);
    const int bottom = frame.height - 1;
    for (int x = 14; x < 26; ++x) {
        const float ratio = frame.Value(x, bottom, 0) / frame.Value(x, bottom - 3, 0);
        EXPECT_NEAR(ratio, 0.97f, 0.006f) << "column " << x;
    }
}

TEST_P(ShaderCompositeTest, InputTopRowShowsAtTheBottomAndLeftStaysLeft) {
    // Red grows to the right and green downward across the input.
    BenchTexture input{16, 16, {}};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            input.pixels.insert(input.pixels.end(),
                                {static_cast<uint8_t>(x * 17), static_cast<uint8_t>(y * 17), 0, 255});
        }
    }
    const BenchFrame frame = Composite(input, 32, 32);
    EXPECT_LT(frame.Byte(0, 31, 0), 4);
    EXPECT_LT(frame.Byte(0, 31, 1), 4);
    EXPECT_GT(frame.Byte(31, 31, 0), 230);
    EXPECT_LT(frame.Byte(31, 31, 1), 4);
    EXPECT_GT(frame.Byte(0, 0, 1), 230);
    EXPECT_GT(frame.Byte(31, 0, 0), 230);
    for (int y = 1; y < 32; ++y) EXPECT_LE(frame.Byte(16, y, 1), frame.Byte(16, y - 1, 1)) << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(ShaderProfiles, ShaderCompositeTest, testing::Values(ProfileFamily::Sm5, ProfileFamily::Sm4),
                         [](const testing::TestParamInfo<ProfileFamily>& info) {
                             return std::string(info.param == ProfileFamily::Sm5 ? "Sm5" : "Sm4");
                         });

}  // namespace
