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

// The clock that times the renderer's draws: GPU timestamps on a hardware adapter, the CPU's under
// Wine and on Microsoft's software adapter.
BenchClock ChooseClock();

// Which Direct3D 11 drew: the loaded d3d11.dll's product name and description from its version
// resource ("Wine" and "Wine Direct3D" for Wine's own over wined3d, "DXVK" and "Direct3D 11 Runtime"
// for DXVK), and the description of the device's adapter.
struct D3DRuntime {
    std::wstring product;
    std::wstring description;
    std::wstring adapter;
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

// The value of the string key in a version resource (a VS_VERSIONINFO block of size bytes), the
// first such string found; empty when there is none or the block is malformed.
std::wstring VersionInfoString(const void* block, size_t size, const std::wstring& key);

// The first line: which Direct3D 11 implementation and adapter the figures come from.
std::string FormatRuntime(const D3DRuntime& runtime);

// The second line: what the figures are and which clock they come from.
std::string FormatClock(const BenchClock& clock);

// The tables of the timed rounds: per size, every job's median for each set, with the ratio of the
// current set to the reference and its geometric mean per pass, or each job's multiple of the flat
// fill when nothing is compared; then the renderer's first end-card frame.
std::string FormatBenchReport(const std::vector<SizeTimings>& timings, int rounds);

std::string FormatFirstUse(const FirstUseTimings& timings);

// The sizes that gave no figures, one "WxH: reason" each; empty when there are none.
std::string FormatMissing(const std::vector<std::string>& missing);
