#include "tools/capture/signature_overlay.h"

#include <algorithm>

namespace {

// The signature's top edge sits this far above the bottom of the client area; the window clips
// whatever would fall below it, so these rows are all the text can touch.
constexpr int kSignatureRise = 24;
constexpr int kSignatureX = 8;

}  // namespace

SignatureOverlay::~SignatureOverlay()
{
    if (!dc_) return;
    if (oldFont_) SelectObject(dc_, oldFont_);
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (bitmap_) DeleteObject(bitmap_);
    DeleteDC(dc_);
}

bool SignatureOverlay::Open(HWND window, int width, int height)
{
    width_ = width;
    stripTop_ = std::max(0, height - kSignatureRise);
    stripHeight_ = height - stripTop_;
    textY_ = height - kSignatureRise - stripTop_;

    HDC windowDc = GetDC(window);
    if (!windowDc) return false;
    // The font a fresh window device context holds is the one the intro writes with.
    HGDIOBJ font = GetCurrentObject(windowDc, OBJ_FONT);
    dc_ = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    if (!dc_ || !font) return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -stripHeight_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return false;
    pixels_ = static_cast<uint8_t*>(bits);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    oldFont_ = SelectObject(dc_, font);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(255, 255, 255));
    return true;
}

void SignatureOverlay::Apply(RgbaImage* image)
{
    const size_t count = static_cast<size_t>(width_) * stripHeight_;
    uint8_t* frame = &image->rgba[static_cast<size_t>(stripTop_) * width_ * 4];
    for (size_t i = 0; i < count; ++i) {
        pixels_[i * 4 + 0] = frame[i * 4 + 2];
        pixels_[i * 4 + 1] = frame[i * 4 + 1];
        pixels_[i * 4 + 2] = frame[i * 4 + 0];
    }
    GdiFlush();
    TextOutW(dc_, kSignatureX, textY_, L"dorv", 4);
    GdiFlush();
    for (size_t i = 0; i < count; ++i) {
        frame[i * 4 + 0] = pixels_[i * 4 + 2];
        frame[i * 4 + 1] = pixels_[i * 4 + 1];
        frame[i * 4 + 2] = pixels_[i * 4 + 0];
    }
}
