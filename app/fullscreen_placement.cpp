#include "app/fullscreen_placement.h"

namespace {

FullscreenPlacement PlaceAt(uint32_t style, uint32_t exStyle, const WindowRect& rect)
{
    return FullscreenPlacement{style, exStyle, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

FullscreenPlacement ToggleFullscreenPlacement(FullscreenState& state, uint32_t currentStyle,
                                              uint32_t currentExStyle, const WindowRect& currentRect,
                                              const WindowRect& monitorRect)
{
    if (!state.fullscreenActive) {
        state.savedStyle = currentStyle;
        state.savedExStyle = currentExStyle;
        state.savedWindowRect = currentRect;
        state.fullscreenActive = true;
        return PlaceAt(kFullscreenStyle, kFullscreenExStyle, monitorRect);
    }
    state.fullscreenActive = false;
    return PlaceAt(state.savedStyle, state.savedExStyle, state.savedWindowRect);
}
