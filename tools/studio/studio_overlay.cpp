#include "tools/studio/studio_overlay.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/intro_state.h"
#include "render/renderer.h"

namespace {

constexpr int kMargin = 4;

std::wstring Wide(const std::string& text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// White text on black, top row first, 32-bit BGRX; false when GDI cannot.
bool Rasterise(const std::vector<std::string>& lines, std::vector<uint32_t>* pixels, int* width, int* height)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    const HGDIOBJ replacedFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    std::vector<std::wstring> wide;
    int textWidth = 0;
    int lineHeight = 0;
    for (const std::string& line : lines) {
        wide.push_back(Wide(line));
        SIZE size = {};
        GetTextExtentPoint32W(dc, wide.back().c_str(), static_cast<int>(wide.back().size()), &size);
        textWidth = std::max(textWidth, static_cast<int>(size.cx));
        lineHeight = std::max(lineHeight, static_cast<int>(size.cy));
    }
    *width = textWidth + 2 * kMargin;
    *height = lineHeight * static_cast<int>(lines.size()) + 2 * kMargin;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool drawn = bitmap && bits;
    if (drawn) {
        const HGDIOBJ replacedBitmap = SelectObject(dc, bitmap);
        const size_t count = static_cast<size_t>(*width) * static_cast<size_t>(*height);
        std::memset(bits, 0, count * sizeof(uint32_t));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        for (size_t i = 0; i < wide.size(); ++i) {
            TextOutW(dc, kMargin, kMargin + static_cast<int>(i) * lineHeight, wide[i].c_str(),
                     static_cast<int>(wide[i].size()));
        }
        // GDI may batch drawing; the pixels are read directly next.
        GdiFlush();
        const uint32_t* first = static_cast<const uint32_t*>(bits);
        pixels->assign(first, first + count);
        SelectObject(dc, replacedBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    SelectObject(dc, replacedFont);
    DeleteDC(dc);
    return drawn;
}

}  // namespace

StudioOverlay::~StudioOverlay()
{
    Release();
}

void StudioOverlay::Release()
{
    ReleaseField(view);
    ReleaseField(texture);
    width = 0;
    height = 0;
}

void StudioOverlay::Show(const std::vector<std::string>& lines)
{
    if (lines == shown) return;
    shown = lines;
    stale = true;
}

void StudioOverlay::Draw()
{
    ID3D11Device* device = intro.renderer.device;
    if (!device) return;
    if (stale || device != madeOn) {
        Release();
        stale = false;
        madeOn = device;
        std::vector<uint32_t> pixels;
        if (!shown.empty() && Rasterise(shown, &pixels, &width, &height)) {
            CreateImmutableImage(device, pixels.data(), width, height, L"CreateTexture2D(studio text)",
                                 L"CreateSRV(studio text)", &texture, &view);
        }
    }
    if (view) DrawImage(view, 0, 0, width, height, nullptr);
}
