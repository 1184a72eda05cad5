#pragma once

#include <windows.h>

#include "tools/frames/rgba_image.h"

// Writes the signature "dorv" into captured frames as the intro writes it over its window after
// each Present: white, transparent background, top-left at (8, height - 24), in the font that a
// device context of the window starts with. Drawn by GDI into a copy of the frame's bottom rows.
class SignatureOverlay {
public:
    SignatureOverlay() = default;
    SignatureOverlay(const SignatureOverlay&) = delete;
    SignatureOverlay& operator=(const SignatureOverlay&) = delete;
    ~SignatureOverlay();

    // False when the memory device context or its bitmap cannot be made.
    bool Open(HWND window, int width, int height);
    void Apply(RgbaImage* image);

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    uint8_t* pixels_ = nullptr;  // top-down BGRX rows of the strip
    int width_ = 0;
    int stripTop_ = 0;
    int stripHeight_ = 0;
    int textY_ = 0;
};
