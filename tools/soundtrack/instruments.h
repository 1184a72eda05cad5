#pragma once

#include <cstddef>
#include <vector>

#include "stereo_buffer.h"

// Each instrument renders one note into a bus, starting at frame start. Lengths are in seconds.
void RenderKick(StereoBuffer& bus, std::size_t start, double velocity);
void RenderSnare(StereoBuffer& bus, std::size_t start, double velocity);
void RenderHat(StereoBuffer& bus, std::size_t start, double velocity, bool open);
void RenderCrash(StereoBuffer& bus, std::size_t start, double velocity);

// cutoff is the filter's resting frequency in Hz; each note opens it briefly above that.
void RenderBass(StereoBuffer& bus, std::size_t start, int note, double length, double cutoff);
void RenderArp(StereoBuffer& bus, std::size_t start, int note, double velocity, double pan);
void RenderLead(StereoBuffer& bus, std::size_t start, int note, double length);
void RenderPad(StereoBuffer& bus, std::size_t start, const std::vector<int>& notes, double length);
// A rising filtered-noise sweep for the bar before a drop.
void RenderRiser(StereoBuffer& bus, std::size_t start, double length);
