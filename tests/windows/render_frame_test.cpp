#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/intro_state.h"
#include "render/frame_rules.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "shaders/shader_source.h"

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
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
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
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
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
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
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
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
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

// The presented picture as GDI would have had it over the window: "dorv" written with TextOutW,
// white on a transparent background, in the font a fresh device context of the window holds, with
// its top-left at (8, height - 24). RGBA bytes, top row first, like Script().presented.
std::vector<uint8_t> WithGdiSignature(HWND window, const std::vector<uint8_t>& rgba, int width, int height)
{
    const HDC windowDc = GetDC(window);
    const HGDIOBJ font = GetCurrentObject(windowDc, OBJ_FONT);
    const HDC dc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint8_t> result(rgba.size());
    if (!bitmap || !bits) return result;
    auto* bgrx = static_cast<uint8_t*>(bits);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        bgrx[i + 0] = rgba[i + 2];
        bgrx[i + 1] = rgba[i + 1];
        bgrx[i + 2] = rgba[i + 0];
        bgrx[i + 3] = 0;
    }
    const HGDIOBJ replacedBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ replacedFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, 8, height - 24, L"dorv", 4);
    GdiFlush();
    for (size_t i = 0; i < rgba.size(); i += 4) {
        result[i + 0] = bgrx[i + 2];
        result[i + 1] = bgrx[i + 1];
        result[i + 2] = bgrx[i + 0];
        result[i + 3] = rgba[i + 3];
    }
    SelectObject(dc, replacedFont);
    SelectObject(dc, replacedBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

// The frame for loop time t presented without and then with the signature; checks that the
// signed one is GDI's rendering of "dorv" over the unsigned one, to within rounding.
void ExpectGdisSignature(HWND window, float t, const char* path)
{
    SCOPED_TRACE(path);
    RendererState& renderer = intro.renderer;
    DrawFrame(t);
    renderer.swapChain->Present(0, 0);
    const std::vector<uint8_t> unsigned_ = Script().presented;
    RenderFrame(t);
    const std::vector<uint8_t>& drawn = Script().presented;
    const int width = static_cast<int>(Script().presentedWidth);
    const int height = static_cast<int>(Script().presentedHeight);
    ASSERT_EQ(drawn.size(), unsigned_.size());
    const std::vector<uint8_t> gdi = WithGdiSignature(window, unsigned_, width, height);

    int inked = 0;
    int worst = 0;
    int left = width;
    int top = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t i = (static_cast<size_t>(y) * width + x) * 4;
            bool changed = false;
            for (int c = 0; c < 3; ++c) {
                worst = std::max(worst, std::abs(drawn[i + c] - gdi[i + c]));
                changed = changed || gdi[i + c] != unsigned_[i + c];
            }
            if (!changed) continue;
            ++inked;
            left = std::min(left, x);
            top = std::min(top, y);
        }
    }
    EXPECT_LE(worst, 2) << "largest channel difference from GDI's text";
    EXPECT_GE(inked, 20) << "GDI's text touches at least the pixels of four letters";
    EXPECT_NEAR(left, 8, 1);
    EXPECT_GE(top, height - 24);
    EXPECT_LT(top, height - 24 + 8);
}

// The signature is part of the picture itself, in both paths and after a resize, so whatever
// presents the frame shows it.
TEST(RenderFrameSignature, EveryFrameCarriesGdisDorvBlendedOverThePicture)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    ASSERT_TRUE(bed.reports().empty());
    ReplacePixelShader(intro.renderer.pixelShaders[kScenePass], "GreyPS");
    Script().capturePresents = true;
    ExpectGdisSignature(bed.window(), 3.0f, "over the grey scene");

    bed.ResizeClient(300, 160);
    ASSERT_TRUE(ResizeRenderer(bed.window()));
    ExpectGdisSignature(bed.window(), 3.5f, "after a resize");

    intro.shell.exit.exitActive = true;
    intro.shell.exit.exitStartTime = 3.5f;
    ExpectGdisSignature(bed.window(), 4.5f, "over the end card");
}

}  // namespace
