#include "scroller/scroller.h"

#include <d3d11.h>

#include <string>
#include <string_view>

#include "core/failure_report.h"
#include "core/intro_state.h"
#include "scroller/scroller_rules.h"

static_assert(kFeatureLevel11 == D3D_FEATURE_LEVEL_11_0, "the level of the wider texture limit");
static_assert(kMaskWidthCap11 == D3D11_REQ_TEXTURE2D_U_OR_V_DIMENSION, "texture width limit from 11_0");
static_assert(kMaskWidthCap10 == D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION, "texture width limit below 11_0");

ScrollerPlatform SystemScrollerPlatform() { return ScrollerPlatform{&CreateCompatibleDC, &CreateDIBSection}; }

ScrollerPlatform scrollerPlatform = SystemScrollerPlatform();

namespace {

constexpr int kMaskHeight = 128;
constexpr int kTextLeft = 0;
constexpr int kTextTop = 22;
constexpr COLORREF kBlack = 0x00000000;
constexpr COLORREF kWhite = 0x00FFFFFF;

std::wstring ToWide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

// A failed measurement leaves the zeroed size, so it counts as width 0.
int32_t MeasureText(HDC dc, std::u16string_view text)
{
    const std::wstring wide = ToWide(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

HFONT CreateScrollerFont()
{
    return CreateFontW(-84, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_DONTCARE, L"Segoe UI Black");
}

BITMAPINFO MaskBitmapInfo(int32_t maskWidth)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = maskWidth;
    info.bmiHeader.biHeight = -kMaskHeight;  // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// White text on black over the whole bitmap selected into dc.
void DrawDisplayText(HDC dc, int32_t maskWidth, std::u16string_view displayText)
{
    const RECT whole = {0, 0, maskWidth, kMaskHeight};
    const HBRUSH black = CreateSolidBrush(kBlack);
    FillRect(dc, &whole, black);
    DeleteObject(black);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kWhite);
    const std::wstring wide = ToWide(displayText);
    TextOutW(dc, kTextLeft, kTextTop, wide.c_str(), static_cast<int>(wide.size()));
    // GDI may batch drawing; the pixels are read directly next.
    GdiFlush();
}

}  // namespace

void BuildScrollerMask()
{
    ScrollerState& scroller = intro.scroller;
    scroller.maskTexture = nullptr;
    scroller.maskView = nullptr;
    scroller.scrollerText = BuildScrollerText();

    const HDC dc = scrollerPlatform.createCompatibleDC(nullptr);
    if (dc == nullptr) {
        ReportFailure(L"CreateCompatibleDC", static_cast<uint32_t>(E_FAIL));
        return;
    }
    const HFONT font = CreateScrollerFont();
    const HGDIOBJ replacedFont = SelectObject(dc, font);

    const ScrollerLayout layout = LayoutScrollerText(
        scroller.scrollerText, [dc](std::u16string_view text) { return MeasureText(dc, text); });
    scroller.maskWidth = ChooseMaskWidth(intro.renderer.offscreenWidth, layout.width,
                                         static_cast<uint32_t>(intro.renderer.featureLevel));

    const BITMAPINFO info = MaskBitmapInfo(scroller.maskWidth);
    void* pixels = nullptr;
    const HBITMAP bitmap = scrollerPlatform.createDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr || pixels == nullptr) {
        ReportFailure(L"CreateDIBSection", static_cast<uint32_t>(E_FAIL));
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        SelectObject(dc, replacedFont);
        DeleteObject(font);
        DeleteDC(dc);
        return;
    }

    const HGDIOBJ replacedBitmap = SelectObject(dc, bitmap);
    DrawDisplayText(dc, scroller.maskWidth, layout.displayText);

    ID3D11Texture2D* texture = nullptr;
    ID3D11ShaderResourceView* view = nullptr;
    // Either both are made or neither is kept.
    CreateImmutableImage(intro.renderer.device, pixels, scroller.maskWidth, kMaskHeight, L"CreateTexture2D(mask)",
                         L"CreateSRV(mask)", &texture, &view);

    SelectObject(dc, replacedBitmap);
    DeleteObject(bitmap);
    SelectObject(dc, replacedFont);
    DeleteObject(font);
    DeleteDC(dc);

    scroller.maskTexture = texture;
    scroller.maskView = view;
    scroller.stopPoints = layout.stopPoints;
    scroller.scrollPeriod = layout.width;
    scroller.scrollLimit = layout.width + 32;
}

void ReleaseScrollerMask()
{
    ReleaseField(intro.scroller.maskView);
    ReleaseField(intro.scroller.maskTexture);
}

ScrollCourse ScrollerCourse()
{
    const ScrollerState& scroller = intro.scroller;
    return ScrollCourse{intro.renderer.offscreenWidth, &scroller.stopPoints, scroller.scrollPeriod,
                        scroller.scrollLimit};
}

void UpdateScroller(float t)
{
    UpdateScroller(intro.scroller, t, ScrollerCourse());
}
