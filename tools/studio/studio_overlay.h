#pragma once

#include <d3d11.h>

#include <string>
#include <vector>

// The heads-up line and the compiler's errors, drawn into the picture at the top left as white
// text on a black strip. GDI rasterises them again only when the text changes.
class StudioOverlay {
public:
    StudioOverlay() = default;
    ~StudioOverlay();
    StudioOverlay(const StudioOverlay&) = delete;
    StudioOverlay& operator=(const StudioOverlay&) = delete;

    // The lines to show from now on (UTF-8); none hides the strip.
    void Show(const std::vector<std::string>& lines);
    // Covers the strip's rectangle of the back buffer with it.
    void Draw();

private:
    void Release();

    std::vector<std::string> shown;
    bool stale = true;
    ID3D11Device* madeOn = nullptr;  // a recovered renderer has a new device: the image is made again
    ID3D11Texture2D* texture = nullptr;
    ID3D11ShaderResourceView* view = nullptr;
    int width = 0;
    int height = 0;
};
