#pragma once

#include <string>
#include <vector>

#include "render/frame_rules.h"
#include "tools/frames/frame_time.h"

// Median milliseconds of each pass of the pass table on one clock, and of a flat-colour pass over
// the half-size target and over the back buffer, the measure of bare fill cost.
struct PassMedians {
    double passes[kPassCount] = {};
    double flatHalf = 0.0;
    double flatFull = 0.0;
};

struct SizeTimings {
    FrameSize size;
    PassMedians gpu;   // GPU timestamps
    PassMedians wall;  // CPU clock from an idle pipeline until the draw is done
};

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

// The tables the benchmark prints, for each clock: the passes, then the flat-colour fill and each
// pass's multiple of the fill over the same target.
std::string FormatPassTables(const std::vector<SizeTimings>& timings, int frames);
