#pragma once

#include <cstddef>
#include <vector>

#include "stereo_buffer.h"

// Returns the echoes only: the left input echoes on the right and back, each repeat feedback times softer.
StereoBuffer PingPongDelay(const StereoBuffer& input, std::size_t delayFrames, double feedback);

// Returns the reverberation only (parallel damped combs into all-passes per channel).
StereoBuffer Reverb(const StereoBuffer& input, double roomSize, double damping);

// A gain per frame that dips after each kick, so the sustained parts pump around the beat.
std::vector<float> DuckingCurve(std::size_t frames, const std::vector<std::size_t>& kicks, double depth);

// Multiplies a bus by a gain curve, frame by frame.
void ApplyGain(StereoBuffer& bus, const std::vector<float>& gain);
