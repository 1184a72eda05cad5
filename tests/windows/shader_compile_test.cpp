#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shaders/shader_source.h"
#include "support/shader_bench.h"

namespace {

TEST(ShaderSourceTest, LengthCountsEveryByteButNotTheTerminator) {
    ASSERT_GT(ShaderSourceSize, 0u);
    EXPECT_EQ(std::strlen(ShaderSource), ShaderSourceSize);
    EXPECT_EQ(ShaderSource[ShaderSourceSize], '\0');
    EXPECT_EQ(ShaderSource[0], '\n');
}

class ShaderCompileTest : public testing::TestWithParam<ProfileFamily> {};

TEST_P(ShaderCompileTest, EveryEntryCompilesAsTheRendererCompilesIt) {
    ShaderBench& bench = SharedShaderBench();
    ASSERT_EQ(bench.DeviceError(), "");
    const struct {
        const char* entry;
        const char* profile;
    } entries[] = {
        {"VS", VertexProfile(GetParam())},
        {"ScenePS", PixelProfile(GetParam())},
        {"CompositePS", PixelProfile(GetParam())},
        {"EndPS", PixelProfile(GetParam())},
    };
    std::string failures;
    for (const auto& entry : entries) {
        std::string message;
        if (!bench.Compile(entry.entry, entry.profile, "", &message)) failures += message + "\n";
    }
    EXPECT_EQ(failures, "");
}

INSTANTIATE_TEST_SUITE_P(ShaderProfiles, ShaderCompileTest, testing::Values(ProfileFamily::Sm5, ProfileFamily::Sm4),
                         [](const testing::TestParamInfo<ProfileFamily>& info) {
                             return std::string(info.param == ProfileFamily::Sm5 ? "Sm5" : "Sm4");
                         });

// Feature level 10_0 hardware gets the 4_0 byte code; it must draw what the 5_0 code draws.
TEST(ShaderProfileTest, BothProfileFamiliesDrawTheSamePictures) {
    BenchTexture mask{64, 128, std::vector<uint8_t>(64 * 128 * 4, 255)};
    for (const char* entry : {"ScenePS", "EndPS"}) {
        BenchFrame frames[2];
        const ProfileFamily families[2] = {ProfileFamily::Sm5, ProfileFamily::Sm4};
        for (int i = 0; i < 2; ++i) {
            BenchPass pass;
            pass.entry = entry;
            pass.profiles = families[i];
            pass.width = 240;
            pass.height = 160;
            pass.constants = MakeBenchConstants(240, 160, 6.0f);
            pass.constants.scroll = -100.0f;
            pass.constants.maskTexel[0] = 1.0f / 64.0f;
            pass.constants.maskTexel[1] = 1.0f / 128.0f;
            pass.constants.exitT = 2.0f;
            pass.mask = &mask;
            std::string error;
            ASSERT_TRUE(SharedShaderBench().Render(pass, &frames[i], &error)) << error;
        }
        int differing = 0;
        for (size_t i = 0; i < frames[0].rgba.size(); ++i) differing += std::abs(frames[0].rgba[i] - frames[1].rgba[i]) > 1;
        EXPECT_LE(differing, 50) << entry;
    }
}

// The renderer never writes the padding, and no shader reads invResolution or exitMode.
TEST(ShaderConstantsTest, FieldsNoShaderReadsChangeNothing) {
    BenchTexture mask{64, 128, std::vector<uint8_t>(64 * 128 * 4, 255)};
    BenchTexture input{120, 80, std::vector<uint8_t>(120 * 80 * 4, 200)};
    for (const char* entry : {"ScenePS", "EndPS", "CompositePS"}) {
        BenchFrame frames[2];
        for (int i = 0; i < 2; ++i) {
            BenchPass pass;
            pass.entry = entry;
            pass.width = 240;
            pass.height = 160;
            pass.constants = MakeBenchConstants(120, 80, 6.0f);
            pass.constants.scroll = -50.0f;
            pass.constants.maskTexel[0] = 1.0f / 64.0f;
            pass.constants.maskTexel[1] = 1.0f / 128.0f;
            pass.constants.exitT = 2.0f;
            if (i == 1) {
                const float junk[] = {0.75f, 2.5f, 0.3f, 1.5f};
                pass.constants.invResolution[0] = junk[0];
                pass.constants.invResolution[1] = junk[1];
                pass.constants._pad0[0] = junk[2];
                pass.constants._pad0[1] = junk[0];
                pass.constants.exitMode = junk[1];
                for (int k = 0; k < 4; ++k) pass.constants._pad1[k] = junk[k];
            }
            pass.mask = &mask;
            pass.input = &input;
            std::string error;
            ASSERT_TRUE(SharedShaderBench().Render(pass, &frames[i], &error)) << error;
        }
        EXPECT_TRUE(frames[0].rgba == frames[1].rgba) << entry;
    }
}


}  // namespace
