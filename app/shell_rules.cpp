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

int64_t RefreshTicks(uint32_t displayFrequency, int64_t counterFrequency)
{
    const uint32_t hertz = displayFrequency > 1 && displayFrequency <= 1000 ? displayFrequency : 60;
    return counterFrequency / hertz;
}

FramePacer StartPacer(int64_t periodTicks)
{
    FramePacer pacer;
    pacer.periodTicks = periodTicks;
    pacer.meanPassTicks = periodTicks;
    return pacer;
}

namespace {

// Each pass weighs an eighth in the mean, and counts for at most a period: a few uneven frames,
// or one held up for seconds, do not switch pacing on or off.
constexpr int64_t kPassWeight = 8;

}  // namespace

int64_t PaceAfterPass(FramePacer& pacer, int64_t passStart, int64_t now)
{
    const int64_t period = pacer.periodTicks;
    const int64_t pass = now - passStart < period ? now - passStart : period;
    pacer.meanPassTicks += (pass - pacer.meanPassTicks) / kPassWeight;
    if (!pacer.pacing && pacer.meanPassTicks < period / 2) {
        pacer.pacing = true;
        pacer.nextPassAt = passStart;
    } else if (pacer.pacing && pacer.meanPassTicks >= period * 3 / 4) {
        pacer.pacing = false;
    }
    if (!pacer.pacing) return 0;
    pacer.nextPassAt += period;
    if (pacer.nextPassAt < now) pacer.nextPassAt = now;
    return pacer.nextPassAt - now;
}
