#include "tools/studio/studio_overlay.h"

#include <windows.h>

#include <algorithm>

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
        std::vector<std::wstring> lines;
        for (const std::string& line : shown) lines.push_back(Wide(line));
        TextPixels pixels;
        if (!lines.empty() && RasteriseText(nullptr, GetStockObject(DEFAULT_GUI_FONT), lines, kMargin, &pixels)) {
            width = pixels.width;
            height = pixels.height;
            CreateImmutableImage(device, pixels.bgrx.data(), width, height, L"CreateTexture2D(studio text)",
                                 L"CreateSRV(studio text)", &texture, &view);
        }
    }
    if (view) DrawImage(view, 0, 0, width, height, nullptr);
}
