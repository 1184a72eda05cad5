#pragma once

#include <string>
#include <vector>

// When a frame is taken: its loop time and, for an end-card frame, the loop time of Escape.
struct FrameTime {
    float t = 0.0f;
    bool exitActive = false;
    float exitStartTime = 0.0f;
};

// End-card frames are taken with Escape pressed at this loop time, well after the scroller's start.
constexpr float kReferenceEscapeTime = 20.0f;

// The intro frame at loop time t.
FrameTime IntroFrame(float t);

// The end-card frame exitT seconds after an Escape at kReferenceEscapeTime.
FrameTime EndCardFrame(float exitT);

// A file name for the frame without its extension: "t12.00" or "exit4.50" (end cards at the
// reference Escape time), else "t24.50-exit4.50".
std::string FrameName(const FrameTime& time);

struct FrameSize {
    int width = 0;
    int height = 0;
};

// "960x540"
std::string SizeName(const FrameSize& size);

// The frames kept as references, for every reference size: the fade-in, the logo, the scroller
// entering and running, the logo after the scroller, and the end card fading in, stopping and at rest.
std::vector<FrameTime> ReferenceFrameTimes();
std::vector<FrameSize> ReferenceSizes();

// Frames across the whole show for comparing two shader texts: 60 intro frames evenly from 2.6 s
// (just after the fade-in starts) to 40 s, and 40 end-card frames evenly from 0.05 s to 9.9 s after
// an Escape at kReferenceEscapeTime.
std::vector<FrameTime> ShowFrameTimes();
