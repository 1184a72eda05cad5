#include "app/shell_rules.h"

float LoopTime(int64_t counter, int64_t frequency, int64_t loopStartCounter)
{
    return static_cast<float>(static_cast<double>(counter - loopStartCounter) / static_cast<double>(frequency));
}

bool StartExitSequence(ExitState& state, float now)
{
    if (state.exitActive) {
        return false;
    }
    state.exitActive = true;
    state.exitStartTime = now;
    return true;
}

bool IsKeyRepeat(uint32_t keyDownLParam) { return (keyDownLParam & (1u << 30)) != 0; }

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
