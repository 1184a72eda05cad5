#pragma once

#include <cstdint>

// A capture's timeline: frame k shows loop time k / fps, Escape comes at escapeAt, and frames
// 0 to frameCount - 1 are taken.
struct ShowPlan {
    int fps = 60;
    float escapeAt = 0.0f;
    int frameCount = 0;
};

// The loop time of frame k, by the main loop's own clock rule with fps ticks a second.
float CaptureFrameTime(int frame, int fps);

// Steps the scroller of the initialised renderer at every frame time, as the main loop would, and
// gives the loop time at which it has finished plus hold seconds, or a negative value when it has
// not finished before latest. Leaves the scroller as it was at loop start.
float ScrollerEndEscape(int fps, float hold, float latest);

// The number of frames up to and including the one that closes the window, after an Escape at
// escapeAt.
int FramesUntilClose(int fps, float escapeAt);

// The number of frames before loop time until.
int FramesBefore(int fps, float until);

// The sample frames of sound that last as long as frameCount frames, rounded to the nearest.
int64_t SoundFramesFor(int frameCount, int fps, int sampleRate);
