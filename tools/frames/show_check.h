#pragma once

#include <string>

#include "tools/frames/frame_time.h"
#include "tools/frames/rgba_image.h"
#include "tools/frames/shader_set.h"

// Draws the frame at time through the initialised renderer twice, first with the reference set's
// shaders, then with the current set's, and reads each back. False, with error, on a failed call.
bool DrawWithBoth(const FrameTime& time, const ShaderSet& reference, const ShaderSet& current, RgbaImage* expected,
                  RgbaImage* actual, std::string* error);
