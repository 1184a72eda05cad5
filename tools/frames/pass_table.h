#pragma once

#include <string>
#include <vector>

#include "tools/frames/frame_time.h"

// Median milliseconds of each pass on one clock; the flat-colour pass is measured over the
// half-size target (as the scene pass) and over the back buffer (as composite and end card).
struct PassMedians {
    double scene = 0.0;
    double composite = 0.0;
    double endCard = 0.0;
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
// pass's multiple of it.
std::string FormatPassTables(const std::vector<SizeTimings>& timings, int frames);
