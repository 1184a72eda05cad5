#pragma once

#include <cstddef>
#include <vector>

#include "stereo_buffer.h"

// 125 beats a minute: a sixteenth is a whole number of frames, so the grid never drifts.
constexpr std::size_t kStepFrames = 5292;
constexpr int kStepsPerBar = 16;
constexpr int kBars = 36;
constexpr std::size_t kTrackFrames = kStepFrames * kStepsPerBar * kBars;

// Every part of the track on its own bus, so the mix can treat each differently.
struct Buses {
    StereoBuffer kick{kTrackFrames};
    StereoBuffer snare{kTrackFrames};
    StereoBuffer hats{kTrackFrames};
    StereoBuffer bass{kTrackFrames};
    StereoBuffer arp{kTrackFrames};
    StereoBuffer lead{kTrackFrames};
    StereoBuffer pad{kTrackFrames};
    StereoBuffer effects{kTrackFrames};
    std::vector<std::size_t> kickFrames;
};

// Plays the whole score (intro, theme, breakdown, reprise) into the buses.
Buses RenderArrangement();
