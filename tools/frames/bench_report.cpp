#include "tools/frames/bench_report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Text(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

double Ratio(double pass, double flat) { return flat > 0.0 ? pass / flat : 0.0; }

// Each pass is compared with the flat fill of the target it draws into.
double FlatOf(const PassMedians& m, int pass)
{
    return kPasses[pass].target == PassTarget::Offscreen ? m.flatHalf : m.flatFull;
}

std::string ClockTables(const std::vector<SizeTimings>& timings, const char* clock,
                        PassMedians SizeTimings::*medians)
{
    std::string text = Text("%s: ms per pass\n", clock);
    text += Text("  %-11s %-11s", "client", "scene size");
    for (const PassInfo& pass : kPasses) text += Text(" %12s", pass.name);
    text += "\n";
    for (const SizeTimings& row : timings) {
        const PassMedians& m = row.*medians;
        const PassSize half = PassTargetSize(PassTarget::Offscreen, row.size.width, row.size.height);
        text += Text("  %-11s %-11s", SizeName(row.size).c_str(), SizeName(FrameSize{half.width, half.height}).c_str());
        for (const double median : m.passes) text += Text(" %12.3f", median);
        text += "\n";
    }
    text += Text("%s: flat-colour pass over the same targets, ms, and each pass's multiple of it\n", clock);
    text += Text("  %-11s %12s %12s", "client", "flat half", "flat full");
    for (const PassInfo& pass : kPasses) text += Text(" %7s/flat", pass.name);
    text += "\n";
    for (const SizeTimings& row : timings) {
        const PassMedians& m = row.*medians;
        text += Text("  %-11s %12.3f %12.3f", SizeName(row.size).c_str(), m.flatHalf, m.flatFull);
        for (int pass = 0; pass < kPassCount; ++pass) text += Text(" %12.1f", Ratio(m.passes[pass], FlatOf(m, pass)));
        text += "\n";
    }
    return text;
}

}  // namespace

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return 0.5 * (values[middle - 1] + values[middle]);
}

std::string FormatPassTables(const std::vector<SizeTimings>& timings, int frames)
{
    std::string text = Text("Pass times, median of %d frames\n", frames);
    text += ClockTables(timings, "GPU timestamps", &SizeTimings::gpu);
    text += "\n";
    text += ClockTables(timings, "CPU clock, idle to done", &SizeTimings::wall);
    return text;
}
