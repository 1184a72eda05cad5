#include <gtest/gtest.h>

#include <windows.h>
#include <d3d11.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/intro_state.h"
#include "scroller/scroller.h"
#include "scroller/scroller_rules.h"
#include "render_test_doubles.h"
#include "support/failure_recorder.h"

namespace {

constexpr int kOffscreenWidth = 960;
constexpr int kMaskHeight = 128;
constexpr int kTextTop = 22;

void ReleaseMask()
{
    if (intro.scroller.maskView != nullptr) {
        intro.scroller.maskView->Release();
        intro.scroller.maskView = nullptr;
    }
    if (intro.scroller.maskTexture != nullptr) {
        intro.scroller.maskTexture->Release();
        intro.scroller.maskTexture = nullptr;
    }
}

// The mask's pixels as 32-bit BGRX words, read back through a staging copy.
std::vector<uint32_t> ReadMask(ID3D11DeviceContext* context)
{
    D3D11_TEXTURE2D_DESC desc = {};
    intro.scroller.maskTexture->GetDesc(&desc);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ID3D11Texture2D* staging = nullptr;
    std::vector<uint32_t> pixels;
    if (FAILED(intro.renderer.device->CreateTexture2D(&desc, nullptr, &staging)) || staging == nullptr) {
        return pixels;
    }
    context->CopyResource(staging, intro.scroller.maskTexture);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (SUCCEEDED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
        pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
        for (UINT row = 0; row < desc.Height; ++row) {
            const auto* source = static_cast<const uint8_t*>(mapped.pData) + static_cast<size_t>(row) * mapped.RowPitch;
            std::memcpy(&pixels[static_cast<size_t>(row) * desc.Width], source, desc.Width * 4u);
        }
        context->Unmap(staging, 0);
    }
    staging->Release();
    return pixels;
}

// Records the bitmap the fake below hands out, so tests can see what became of it.
HBITMAP createdBitmap = nullptr;

HDC NoDC(HDC)
{
    return nullptr;
}

HBITMAP NoBitmap(HDC, const BITMAPINFO*, UINT, void** bits, HANDLE, DWORD)
{
    *bits = nullptr;
    return nullptr;
}

HBITMAP BitmapWithoutPixels(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    createdBitmap = CreateDIBSection(dc, info, usage, bits, section, offset);
    *bits = nullptr;
    return createdBitmap;
}

class ScrollerMask : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallRenderDoubles();
        const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
        CreateWrappedDevice(levels, 2);
        intro.renderer.offscreenWidth = kOffscreenWidth;
        intro.scroller = ScrollerState{};
        scrollerPlatform = SystemScrollerPlatform();
        createdBitmap = nullptr;
    }

    void TearDown() override
    {
        ReleaseMask();
        scrollerPlatform = SystemScrollerPlatform();
        intro.scroller = ScrollerState{};
        if (context != nullptr) {
            context->Release();
        }
        if (intro.renderer.device != nullptr) {
            intro.renderer.device->Release();
            intro.renderer.device = nullptr;
        }
        intro.renderer.featureLevel = static_cast<D3D_FEATURE_LEVEL>(0);
        intro.renderer.offscreenWidth = 0;
        RemoveRenderDoubles();
    }

    // The renderer's device as the intro makes it, behind the double that can refuse its calls.
    void CreateWrappedDevice(const D3D_FEATURE_LEVEL* levels, UINT count)
    {
        ID3D11Device* real = nullptr;
        ASSERT_HRESULT_SUCCEEDED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels, count,
                                                   D3D11_SDK_VERSION, &real, &intro.renderer.featureLevel, &context));
        intro.renderer.device = WrapDevice(real);
    }

    // Exactly one report with this tag and code, in the box's words.
    static void ExpectOneReport(const FailureRecorder& recorder, const std::wstring& what, uint32_t code)
    {
        ASSERT_EQ(recorder.reports().size(), 1u);
        const FailureReport& report = recorder.reports()[0];
        EXPECT_EQ(report.what, what);
        EXPECT_EQ(report.code, code);
        wchar_t codeText[16] = {};
        swprintf(codeText, 16, L"%08X", code);
        const std::wstring heading = what + L" failed (0x" + codeText + L")";
        EXPECT_EQ(report.text.substr(0, heading.size()), heading);
    }

    static void ExpectNoMask()
    {
        EXPECT_EQ(intro.scroller.maskTexture, nullptr);
        EXPECT_EQ(intro.scroller.maskView, nullptr);
    }

    static void ExpectStopsUnset()
    {
        EXPECT_TRUE(intro.scroller.stopPoints.empty());
        EXPECT_EQ(intro.scroller.scrollPeriod, 0);
        EXPECT_EQ(intro.scroller.scrollLimit, 0);
    }

    static void ExpectStopsSet()
    {
        EXPECT_EQ(intro.scroller.stopPoints.size(), 4u);
        EXPECT_GT(intro.scroller.scrollPeriod, 1);
        EXPECT_EQ(intro.scroller.scrollLimit, intro.scroller.scrollPeriod + 32);
    }

    ID3D11DeviceContext* context = nullptr;
};

}  // namespace

TEST_F(ScrollerMask, BuildsTextStopPointsAndATextureOfThePowerOfTwoWidth)
{
    FailureRecorder recorder;
    BuildScrollerMask();
    EXPECT_TRUE(recorder.reports().empty());

    // The Windows runtime's iswspace gives the same text as the platform-free tests see.
    const ScrollerState& scroller = intro.scroller;
    EXPECT_EQ(scroller.scrollerText.size(), 315u);
    EXPECT_EQ(LayoutScrollerText(scroller.scrollerText, [](std::u16string_view) { return 1; }).displayText.size(),
              307u);

    const int32_t width = scroller.scrollPeriod;
    ASSERT_EQ(scroller.stopPoints.size(), 4u);
    EXPECT_GT(scroller.stopPoints[0], 0);
    for (size_t i = 1; i < scroller.stopPoints.size(); ++i) {
        EXPECT_GT(scroller.stopPoints[i], scroller.stopPoints[i - 1]);
    }
    EXPECT_LT(scroller.stopPoints.back(), width);
    EXPECT_EQ(scroller.scrollLimit, width + 32);

    const int32_t cap = intro.renderer.featureLevel >= D3D_FEATURE_LEVEL_11_0 ? 16384 : 8192;
    EXPECT_EQ(scroller.maskWidth & (scroller.maskWidth - 1), 0);
    EXPECT_GE(scroller.maskWidth, std::min(kOffscreenWidth + 64 + width, cap));
    EXPECT_LT(scroller.maskWidth / 2, kOffscreenWidth + 64 + width);

    ASSERT_NE(scroller.maskTexture, nullptr);
    ASSERT_NE(scroller.maskView, nullptr);
    D3D11_TEXTURE2D_DESC desc = {};
    scroller.maskTexture->GetDesc(&desc);
    EXPECT_EQ(desc.Width, static_cast<UINT>(scroller.maskWidth));
    EXPECT_EQ(desc.Height, 128u);
    EXPECT_EQ(desc.Format, DXGI_FORMAT_B8G8R8A8_UNORM);
    EXPECT_EQ(desc.Usage, D3D11_USAGE_IMMUTABLE);
    EXPECT_EQ(desc.BindFlags, static_cast<UINT>(D3D11_BIND_SHADER_RESOURCE));

    std::printf("[ figures  ] feature level 0x%x, W %d, mask width %d, stop points %d %d %d %d\n",
                static_cast<unsigned>(intro.renderer.featureLevel), width, scroller.maskWidth,
                scroller.stopPoints[0], scroller.stopPoints[1], scroller.stopPoints[2], scroller.stopPoints[3]);
}

TEST_F(ScrollerMask, PixelsAreWhiteTextOnBlackAsWideAsTheMeasuredText)
{
    BuildScrollerMask();
    ASSERT_NE(intro.scroller.maskTexture, nullptr);
    const std::vector<uint32_t> pixels = ReadMask(context);
    const int maskWidth = intro.scroller.maskWidth;
    ASSERT_EQ(pixels.size(), static_cast<size_t>(maskWidth) * kMaskHeight);

    int firstLitColumn = maskWidth;
    int lastLitColumn = -1;
    int firstLitRow = kMaskHeight;
    int lastLitRow = -1;
    size_t whitePixels = 0;
    for (int row = 0; row < kMaskHeight; ++row) {
        for (int column = 0; column < maskWidth; ++column) {
            const uint32_t colour = pixels[static_cast<size_t>(row) * maskWidth + column] & 0x00FFFFFFu;
            if (colour == 0) {
                continue;
            }
            whitePixels += colour == 0x00FFFFFFu ? 1 : 0;
            firstLitColumn = std::min(firstLitColumn, column);
            lastLitColumn = std::max(lastLitColumn, column);
            firstLitRow = std::min(firstLitRow, row);
            lastLitRow = std::max(lastLitRow, row);
        }
    }
    // Solid white glyph cores and nothing above the character cell. The text begins and ends with a blank,
    // so the ink lies inside the measured width, set in by about one blank's width at each end.
    const int width = intro.scroller.scrollPeriod;
    const int leftInset = firstLitColumn;
    const int rightInset = width - 1 - lastLitColumn;
    EXPECT_GT(whitePixels, 50000u);
    EXPECT_GE(firstLitRow, kTextTop);
    EXPECT_GT(lastLitRow - firstLitRow, 50);
    EXPECT_GT(leftInset, 4);
    EXPECT_GT(rightInset, 4);
    EXPECT_LT(leftInset, 60);
    EXPECT_LT(rightInset, 60);
    EXPECT_LT(std::abs(leftInset - rightInset), 16);
    std::printf("[ figures  ] ink columns %d..%d, rows %d..%d, W %d\n", firstLitColumn, lastLitColumn, firstLitRow,
                lastLitRow, width);
}

TEST_F(ScrollerMask, UpdateScrollerMovesTheStoredMotion)
{
    BuildScrollerMask();
    UpdateScroller(4.5f);
    UpdateScroller(5.0f);
    EXPECT_TRUE(intro.scroller.scrollStarted);
    EXPECT_EQ(intro.scroller.scrollOffset, -static_cast<float>(kOffscreenWidth));
    UpdateScroller(5.5f);
    EXPECT_EQ(intro.scroller.scrollOffset, -static_cast<float>(kOffscreenWidth) + 60.0f);
}

TEST_F(ScrollerMask, NoMemoryContextReportsAndLeavesOnlyTheText)
{
    scrollerPlatform.createCompatibleDC = NoDC;
    FailureRecorder recorder;
    BuildScrollerMask();
    ExpectOneReport(recorder, L"CreateCompatibleDC", 0x80004005u);
    EXPECT_EQ(intro.scroller.scrollerText, BuildScrollerText());
    EXPECT_EQ(intro.scroller.maskWidth, 0);
    ExpectNoMask();
    ExpectStopsUnset();
}

TEST_F(ScrollerMask, NoBitmapReportsAndLeavesTheMaskWidth)
{
    scrollerPlatform.createDIBSection = NoBitmap;
    FailureRecorder recorder;
    BuildScrollerMask();
    ExpectOneReport(recorder, L"CreateDIBSection", 0x80004005u);
    EXPECT_GT(intro.scroller.maskWidth, 0);
    ExpectNoMask();
    ExpectStopsUnset();
}

TEST_F(ScrollerMask, BitmapWithoutPixelsIsDeleted)
{
    scrollerPlatform.createDIBSection = BitmapWithoutPixels;
    FailureRecorder recorder;
    BuildScrollerMask();
    ExpectOneReport(recorder, L"CreateDIBSection", 0x80004005u);
    ASSERT_NE(createdBitmap, nullptr);
    EXPECT_EQ(GetObjectType(createdBitmap), 0u);
    ExpectNoMask();
    ExpectStopsUnset();
}

TEST_F(ScrollerMask, TextureFailureReportsItsResultAndKeepsTheStops)
{
    for (const HRESULT result : {E_OUTOFMEMORY, S_OK}) {
        Script().Fail("CreateTexture2D", 1, result);
        FailureRecorder recorder;
        BuildScrollerMask();
        ExpectOneReport(recorder, L"CreateTexture2D(mask)", static_cast<uint32_t>(result));
        ExpectNoMask();
        ExpectStopsSet();
    }
}

TEST_F(ScrollerMask, ViewFailureReleasesTheTexture)
{
    Script().witnessTextures = true;
    for (const HRESULT result : {E_INVALIDARG, S_OK}) {
        Script().log.clear();
        Script().Fail("CreateShaderResourceView", 1, result);
        FailureRecorder recorder;
        BuildScrollerMask();
        ExpectOneReport(recorder, L"CreateSRV(mask)", static_cast<uint32_t>(result));
        ExpectNoMask();
        ExpectStopsSet();
        EXPECT_EQ(std::count(Script().log.begin(), Script().log.end(), "texture"), 1);
    }
}

TEST_F(ScrollerMask, FeatureLevel10CapsTheMaskButNotTheStops)
{
    BuildScrollerMask();
    const std::vector<int32_t> stopsAt11 = intro.scroller.stopPoints;
    const int32_t widthAt11 = intro.scroller.scrollPeriod;
    ReleaseMask();
    context->Release();
    context = nullptr;
    intro.renderer.device->Release();
    intro.renderer.device = nullptr;

    const D3D_FEATURE_LEVEL level10 = D3D_FEATURE_LEVEL_10_0;
    CreateWrappedDevice(&level10, 1);
    ASSERT_EQ(intro.renderer.featureLevel, D3D_FEATURE_LEVEL_10_0);
    intro.scroller = ScrollerState{};
    FailureRecorder recorder;
    BuildScrollerMask();
    EXPECT_TRUE(recorder.reports().empty());

    // The text is wider than 8192 pixels: its end is missing from the mask, the stops still cover all of it.
    EXPECT_EQ(intro.scroller.maskWidth, 8192);
    ASSERT_NE(intro.scroller.maskTexture, nullptr);
    D3D11_TEXTURE2D_DESC desc = {};
    intro.scroller.maskTexture->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 8192u);
    EXPECT_EQ(intro.scroller.stopPoints, stopsAt11);
    EXPECT_EQ(intro.scroller.scrollPeriod, widthAt11);
}
