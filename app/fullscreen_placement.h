#pragma once

#include <cstdint>

// A window rectangle in screen coordinates.
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The full-screen toggle's memory: what to go back to on the way out.
struct FullscreenState {
    bool fullscreenActive = false;
    uint32_t savedStyle = 0;
    uint32_t savedExStyle = 0;
    WindowRect savedWindowRect;
};

// What the toggle gives the window: its styles and where it goes.
struct FullscreenPlacement {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The window styles of borderless full screen (WS_POPUP and WS_EX_APPWINDOW).
constexpr uint32_t kFullscreenStyle = 0x80000000u;
constexpr uint32_t kFullscreenExStyle = 0x00040000u;

// Flips the toggle. Entering saves the current styles and rectangle and covers the monitor;
// leaving gives back what the last entry saved.
FullscreenPlacement ToggleFullscreenPlacement(FullscreenState& state, uint32_t currentStyle,
                                              uint32_t currentExStyle, const WindowRect& currentRect,
                                              const WindowRect& monitorRect);
