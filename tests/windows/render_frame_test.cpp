#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/intro_state.h"
#include "render/frame_rules.h"
#include "render/renderer.h"
#include "render_test_bed.h"

namespace {

// Stand-ins for the product's pixel shaders: a uniform grey 0.5 target whose top row is marked
// in red, and the vertex shader's uv as colour.
const char kTestShaders[] = R"(
float4 GreyPS(float4 pos : SV_Position, float2 uv : T0) : SV_Target
{
    return pos.y < 1.0 ? float4(1.0, 0.5, 0.5, 1.0) : float4(0.5, 0.5, 0.5, 1.0);
}
float4 UvPS(float4 pos : SV_Position, float2 uv : T0) : SV_Target
{
    return float4(uv, 0.0, 1.0);
}
)";

// Replaces shader by the test entry, compiled on the renderer's device.
void ReplacePixelShader(ID3D11PixelShader*& shader, const char* entry)
{
    ID3DBlob* code = nullptr;
    ID3DBlob* messages = nullptr;
    ASSERT_HRESULT_SUCCEEDED(D3DCompile(kTestShaders, sizeof(kTestShaders) - 1, nullptr, nullptr, nullptr, entry,
                                        "ps_4_0", 0, 0, &code, &messages));
    if (messages) messages->Release();
    if (shader) shader->Release();
    shader = nullptr;
    const HRESULT result =
        intro.renderer.device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &shader);
    code->Release();
    ASSERT_HRESULT_SUCCEEDED(result);
}

// One channel of the last presented picture, 0 to 1.
float Channel(int x, int y, int channel)
{
    const RenderScript& script = Script();
    const size_t index = (static_cast<size_t>(y) * script.presentedWidth + static_cast<size_t>(x)) * 4 +
                         static_cast<size_t>(channel);
    return script.presented[index] / 255.0f;
}

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr float kOneLevel = 1.0f / 255.0f;

TEST(RenderFrameComposite, StretchesTheTargetWithScanLinesAndVignette)
{
    constexpr int width = 320;
    constexpr int height = 240;
    RenderTestBed bed(width, height);
    ASSERT_TRUE(InitRenderer());
    ReplacePixelShader(intro.renderer.pixelShaders[kScenePass], "GreyPS");
    Script().capturePresents = true;
    RenderFrame(1.0f);
    ASSERT_EQ(Script().presentedWidth, static_cast<UINT>(width));
    ASSERT_EQ(Script().presentedHeight, static_cast<UINT>(height));

    // Bands are one target row (two screen rows) high, counted from the bottom, which is dark.
    auto darkBand = [](int y) { return ((height - 1 - y) / 2) % 2 == 0; };
    for (int y = height / 2 - 4; y < height / 2 + 4; ++y) {
        SCOPED_TRACE(y);
        EXPECT_NEAR(Channel(width / 2, y, kGreen), darkBand(y) ? 0.485f : 0.5f, kOneLevel);
    }
    EXPECT_NEAR(Channel(0, 0, kGreen), darkBand(0) ? 0.4726f : 0.4872f, 1.5f * kOneLevel);
    EXPECT_NEAR(Channel(0, height - 1, kGreen), 0.4726f, 1.5f * kOneLevel);
    EXPECT_NEAR(Channel(width - 1, height - 1, kGreen), 0.4726f, 1.5f * kOneLevel);
    EXPECT_TRUE(darkBand(height - 1));
    for (int x = 0; x < width; x += 16) {
        EXPECT_LT(Channel(x, height - 1, kGreen), Channel(x, height - 3, kGreen)) << x;
    }

    // The target's top row shows at the bottom of the screen, mirrored.
    EXPECT_GT(Channel(width / 2, height - 1, kRed), 0.9f);
    EXPECT_LT(Channel(width / 2, 0, kRed), 0.55f);
}

TEST(RenderFrameComposite, TheVertexShaderPutsUvZeroOneAtTheTopLeft)
{
    constexpr int width = 256;
    constexpr int height = 128;
    RenderTestBed bed(width, height);
    ASSERT_TRUE(InitRenderer());
    ReplacePixelShader(intro.renderer.pixelShaders[kCompositePass], "UvPS");
    Script().capturePresents = true;
    RenderFrame(1.0f);
    ASSERT_EQ(Script().presentedWidth, static_cast<UINT>(width));

    EXPECT_NEAR(Channel(0, 0, kRed), 0.0f, 2 * kOneLevel);
    EXPECT_NEAR(Channel(0, 0, kGreen), 1.0f, 2 * kOneLevel);
    EXPECT_NEAR(Channel(0, height - 1, kGreen), 0.0f, 2 * kOneLevel);
    EXPECT_NEAR(Channel(width - 1, height - 1, kRed), 1.0f, 2 * kOneLevel);
}

TEST(RenderFrameEndCard, DrawsStraightToTheBackBufferAndClosesOnceAtTenSeconds)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer());
    RenderFrame(1.0f);
    intro.shell.exit.exitActive = true;
    intro.shell.exit.exitStartTime = 1.0f;

    RenderFrame(10.9f);
    EXPECT_TRUE(IsWindow(bed.window()));
    EXPECT_FALSE(intro.renderer.windowDestroyed);

    const int presents = Script().presents;
    RenderFrame(11.0f);
    EXPECT_EQ(Script().presents, presents + 1);
    EXPECT_TRUE(intro.renderer.windowDestroyed);
    EXPECT_FALSE(IsWindow(bed.window()));
    EXPECT_TRUE(bed.reports().empty());
}

TEST(RenderFrameEndCard, EscapeFreezesTheScrollerWhereItStands)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer());
    RenderFrame(4.0f);
    RenderFrame(5.0f);
    RenderFrame(6.0f);
    const float moving = intro.scroller.scrollOffset;
    ASSERT_GT(moving, -static_cast<float>(intro.renderer.offscreenWidth));

    intro.shell.exit.exitActive = true;
    intro.shell.exit.exitStartTime = 6.0f;
    RenderFrame(6.5f);
    RenderFrame(8.0f);
    EXPECT_EQ(intro.scroller.scrollOffset, moving);
    EXPECT_TRUE(bed.reports().empty());
}

}  // namespace
