#pragma once

#include <string>
#include <vector>

#include "render/frame_rules.h"
#include "tools/frames/bench_passes.h"
#include "tools/frames/frame_time.h"

// The clock the figures are taken on, and why that one.
struct BenchClock {
    bool cpu = false;  // the CPU clock from an idle pipeline until the draw is done; else GPU timestamps
    std::string reason;
};

// One client size's figures in milliseconds, on one clock. The first shader set is the current
// text; a second, when there is one, the reference it is compared with.
struct SizeTimings {
    FrameSize size;
    std::vector<BenchJob> jobs;
    std::vector<std::string> sets;
    std::vector<std::vector<double>> medians;   // [set][job], median over the rounds
    double flatHalf = 0.0;                      // a flat-colour pass over the half-size target
    double flatFull = 0.0;                      // and over the back buffer
    double firstEndFrame = 0.0;                 // the renderer's first end-card frame after start-up
    double steadyEndFrame = 0.0;                // the median of the end-card frames after it
};

// The cost of each pass's first draw with a shader text, against the draws after it.
struct FirstUseTimings {
    FrameSize size;
    std::vector<BenchJob> jobs;              // one per pass, in the pass table's order
    std::vector<std::string> sets;
    std::vector<std::vector<double>> first;   // [set][pass]
    std::vector<std::vector<double>> steady;  // [set][pass], median of the draws after the first
};

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

// The geometric mean of the positive values; 0 when there are none.
double GeometricMean(const std::vector<double>& values);

// The first line: what the figures are and which clock they come from.
std::string FormatClock(const BenchClock& clock);

// The tables of the timed rounds: per size, every job's median for each set, with the ratio of the
// current set to the reference and its geometric mean per pass, or each job's multiple of the flat
// fill when nothing is compared; then the renderer's first end-card frame.
std::string FormatBenchReport(const std::vector<SizeTimings>& timings, int rounds);

std::string FormatFirstUse(const FirstUseTimings& timings);
