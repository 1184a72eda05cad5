#include "tools/frames/pass_table.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Line(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return std::string(text) + "\n";
}

double Ratio(double pass, double flat) { return flat > 0.0 ? pass / flat : 0.0; }

std::string ClockTables(const std::vector<SizeTimings>& timings, const char* clock,
                        PassMedians SizeTimings::*medians)
{
    std::string text = Line("%s: ms per pass", clock);
    text += Line("  %-11s %-11s %12s %12s %12s", "client", "scene size", "scene", "composite", "end card");
    for (const SizeTimings& row : timings) {
        const PassMedians& m = row.*medians;
        const FrameSize half{row.size.width / 2, row.size.height / 2};
        text += Line("  %-11s %-11s %12.3f %12.3f %12.3f", SizeName(row.size).c_str(), SizeName(half).c_str(),
                     m.scene, m.composite, m.endCard);
    }
    text += Line("%s: flat-colour pass over the same targets, ms, and each pass's multiple of it", clock);
    text += Line("  %-11s %12s %12s %12s %12s %12s", "client", "flat half", "flat full", "scene/flat",
                 "compos/flat", "end/flat");
    for (const SizeTimings& row : timings) {
        const PassMedians& m = row.*medians;
        text += Line("  %-11s %12.3f %12.3f %12.1f %12.1f %12.1f", SizeName(row.size).c_str(), m.flatHalf,
                     m.flatFull, Ratio(m.scene, m.flatHalf), Ratio(m.composite, m.flatFull),
                     Ratio(m.endCard, m.flatFull));
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
    std::string text = Line("Pass times, median of %d frames", frames);
    text += ClockTables(timings, "GPU timestamps", &SizeTimings::gpu);
    text += "\n";
    text += ClockTables(timings, "CPU clock, idle to done", &SizeTimings::wall);
    return text;
}
