#pragma once

#include <d3d11.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scroller/scroll_motion.h"

// The scroller's text, mask and stop points (set once by BuildScrollerMask) and, as its base, the motion
// that UpdateScroller moves each frame (intro.scroller.scrollOffset and so on).
struct ScrollerState : ScrollMotion {
    std::u16string scrollerText;
    int32_t maskWidth = 0;
    ID3D11Texture2D* maskTexture = nullptr;
    ID3D11ShaderResourceView* maskView = nullptr;
    std::vector<int32_t> stopPoints;
    int32_t scrollPeriod = 0;
    int32_t scrollLimit = 0;
};
