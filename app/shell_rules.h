#pragma once

#include <cstdint>

#include "core/intro_fields.h"

// The shell's platform-free rules: the loop clock, Escape and the full-screen toggle's bookkeeping.

// Loop time in seconds: the ticks since the loop started, divided in double precision and rounded
// to a 32-bit float. Subtracting in ticks first keeps frame steps exact however long the machine
// has been up; absolute seconds in a float would step by 1/32 s after four days of uptime.
float LoopTime(int64_t counter, int64_t frequency, int64_t loopStartCounter);

// Starts the exit sequence at loop time now; false (and no change) when it has already begun.
bool StartExitSequence(ExitState& state, float now);

// True for a WM_KEYDOWN that a held key repeats: bit 30 of lParam, the previous key state.
bool IsKeyRepeat(uint32_t keyDownLParam);

// What the toggle gives the window: its styles and where it goes.
struct FullscreenPlacement {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The window styles of borderless full screen: WS_POPUP and WS_EX_APPWINDOW.
constexpr uint32_t kFullscreenStyle = 0x80000000u;
constexpr uint32_t kFullscreenExStyle = 0x00040000u;

// Flips the toggle. Entering saves the current styles and rectangle and covers the monitor;
// leaving gives back what the last entry saved.
FullscreenPlacement ToggleFullscreenPlacement(FullscreenState& state, uint32_t currentStyle,
                                              uint32_t currentExStyle, const WindowRect& currentRect,
                                              const WindowRect& monitorRect);
