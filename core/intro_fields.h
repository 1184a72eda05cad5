#pragma once

#include <cstdint>

// The plain-data parts of the intro's state that the platform-free rules step: the Escape
// bookkeeping, the full-screen toggle's memory and the scroller's motion.

// The end card's clock starts at the first Escape only.
struct ExitState {
    bool exitActive = false;
    float exitStartTime = 0.0f;
};

// A window rectangle in screen coordinates, laid out as RECT.
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// What to go back to when full screen is left.
struct FullscreenState {
    bool fullscreenActive = false;
    uint32_t savedStyle = 0;
    uint32_t savedExStyle = 0;
    WindowRect savedWindowRect;
};

// Where the scroller's text stands and whether it waits, runs, holds at a stop or is done.
struct ScrollMotion {
    float scrollOffset = 0.0f;    // mask column at the screen's left edge
    double lastScrollTime = 0.0;  // loop time of the previous step
    double pauseUntil = 0.0;      // loop time at which the current pause ends
    bool scrollArmed = false;     // a frame before the start time was seen while not started
    bool scrollStarted = false;
    bool scrollFinished = false;
    bool scrollPaused = false;
};
