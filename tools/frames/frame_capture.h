#pragma once

#include <string>

#include "tools/frames/frame_time.h"
#include "tools/frames/rgba_image.h"

// Sets the scroller and the exit sequence as a run from loop time 0 would have them just before
// the frame at time.t: the scroller stepped at a fixed 60 Hz (so its pauses come out the same in
// every run), stopping at Escape for an end-card frame.
void PrepareFrameState(const FrameTime& time);

// Prepares and draws the frame through the initialised renderer (DrawFrame), then reads the back
// buffer back before anything is presented. On failure error names the call and its code.
bool CaptureFrame(const FrameTime& time, RgbaImage* image, std::string* error);

// The back buffer as the last draw left it.
bool ReadBackBuffer(RgbaImage* image, std::string* error);
