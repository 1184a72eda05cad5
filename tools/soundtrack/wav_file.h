#pragma once

#include <string>

#include "stereo_buffer.h"

// Writes 16-bit stereo PCM at 44,100 Hz; samples are clamped to [-1, 1]. False when the file fails.
bool WriteWav16(const std::string& path, const StereoBuffer& audio);
