#pragma once

#include <cstdint>
#include <vector>

// The scroller's motion: where the text stands and whether it waits, runs, holds at a stop or is done.
struct ScrollMotion {
    float scrollOffset = 0.0f;    // mask column at the screen's left edge
    double lastScrollTime = 0.0;  // loop time of the previous step
    double pauseUntil = 0.0;      // loop time at which the current pause ends
    bool scrollArmed = false;     // a frame before the start time was seen while not started
    bool scrollStarted = false;
    bool scrollFinished = false;
    bool scrollPaused = false;
};

// What the motion runs over: the screen width in offscreen pixels and the laid-out text.
struct ScrollCourse {
    int32_t offscreenWidth = 0;
    const std::vector<int32_t>* stopPoints = nullptr;
    int32_t scrollPeriod = 0;
    int32_t scrollLimit = 0;
};

constexpr float kScrollStartTime = 5.0f;  // equals the shader's T_SCROLL
constexpr float kScrollSpeed = 120.0f;    // offscreen pixels per second
constexpr double kScrollPause = 1.25;     // seconds held at each stop point

// One step to loop time t: move, finish at the limit, end a pause, or pause at the first stop crossed.
void AdvanceScroller(ScrollMotion& motion, double t, const ScrollCourse& course);

// The per-frame rule: wait until 5 s, start from the right edge, then advance until finished.
void UpdateScroller(ScrollMotion& motion, float t, const ScrollCourse& course);
