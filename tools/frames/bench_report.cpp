#include "tools/frames/bench_report.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <windows.h>
#include <d3d11.h>
#include <dxgi.h>

#include "core/intro_state.h"

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

double Ratio(double part, double whole) { return whole > 0.0 ? part / whole : 0.0; }

// Each pass is compared with the flat fill of the target it draws into.
double FlatOf(const SizeTimings& row, int pass)
{
    return kPasses[pass].target == PassTarget::Offscreen ? row.flatHalf : row.flatFull;
}

std::string JobTable(const SizeTimings& row)
{
    const bool compared = row.sets.size() > 1;
    std::string text = Text("  %-10s %-9s %10s", "pass", "frame", row.sets[0].c_str());
    text += compared ? Text(" %10s %8s\n", row.sets[1].c_str(), "ratio") : Text(" %10s\n", "x flat");
    for (int pass = 0; pass < kPassCount; ++pass) {
        std::vector<double> ratios;
        for (size_t job = 0; job < row.jobs.size(); ++job) {
            if (row.jobs[job].pass != pass) continue;
            const double current = row.medians[0][job];
            text += Text("  %-10s %-9s %10.3f", kPasses[pass].name, FrameName(row.jobs[job].time).c_str(), current);
            if (compared) {
                const double reference = row.medians[1][job];
                ratios.push_back(Ratio(current, reference));
                text += Text(" %10.3f %8.3f\n", reference, ratios.back());
            } else {
                text += Text(" %10.1f\n", Ratio(current, FlatOf(row, pass)));
            }
        }
        if (ratios.size() > 1) {
            text += Text("  %-10s %-42s %8.3f\n", kPasses[pass].name, "geometric mean of the ratios",
                         GeometricMean(ratios));
        }
    }
    text += Text("  %-10s half %.3f, full %.3f\n", "flat fill", row.flatHalf, row.flatFull);
    return text;
}

std::string EndFrameLine(const SizeTimings& row)
{
    return Text("  the renderer's first end-card frame after start-up: %.3f, steady %.3f (%.2f times)\n",
                row.firstEndFrame, row.steadyEndFrame, Ratio(row.firstEndFrame, row.steadyEndFrame));
}

// Version resources are trees of blocks: a 16-bit length (the whole block's bytes), the value's
// length, a type (1 for text), a zero-terminated UTF-16 key, then the value and the child blocks,
// each starting on a 4-byte boundary of the resource.
size_t AlignBlock(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

uint16_t ReadWord(const unsigned char* bytes, size_t offset)
{
    uint16_t word = 0;
    std::memcpy(&word, bytes + offset, sizeof word);
    return word;
}

// Reads a zero-terminated UTF-16 string from offset, no further than end; the offset after it.
size_t ReadText(const unsigned char* bytes, size_t offset, size_t end, std::wstring* text)
{
    text->clear();
    while (offset + 2 <= end) {
        const uint16_t unit = ReadWord(bytes, offset);
        offset += 2;
        if (unit == 0) break;
        text->push_back(static_cast<wchar_t>(unit));
    }
    return offset;
}

bool FindVersionString(const unsigned char* bytes, size_t offset, size_t end, const std::wstring& key,
                       std::wstring* value)
{
    constexpr size_t kHeader = 6;
    while (offset + kHeader <= end) {
        const size_t length = ReadWord(bytes, offset);
        const size_t valueLength = ReadWord(bytes, offset + 2);
        const bool text = ReadWord(bytes, offset + 4) == 1;
        if (length < kHeader || offset + length > end) return false;
        const size_t blockEnd = offset + length;
        std::wstring name;
        const size_t valueStart = AlignBlock(ReadText(bytes, offset + kHeader, blockEnd, &name));
        if (text && name == key) {
            ReadText(bytes, valueStart, blockEnd, value);
            return true;
        }
        // A text value's length counts UTF-16 units, a binary one's bytes.
        const size_t children = AlignBlock(valueStart + (text ? 2 * valueLength : valueLength));
        if (children < blockEnd && FindVersionString(bytes, children, blockEnd, key, value)) return true;
        offset = AlignBlock(blockEnd);
    }
    return false;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (const wchar_t unit : text) narrow.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    return narrow;
}

}  // namespace

std::wstring VersionInfoString(const void* block, size_t size, const std::wstring& key)
{
    std::wstring value;
    if (!block || !FindVersionString(static_cast<const unsigned char*>(block), 0, size, key, &value)) value.clear();
    return value;
}

std::string FormatRuntime(const D3DRuntime& runtime)
{
    const std::string product = runtime.product.empty() ? "an unnamed product" : Narrow(runtime.product);
    const std::string description = runtime.description.empty() ? "" : " (" + Narrow(runtime.description) + ")";
    return "Direct3D 11 from the d3d11.dll of " + product + description + ", adapter \"" + Narrow(runtime.adapter) +
           "\"\n";
}

std::string FormatMissing(const std::vector<std::string>& missing)
{
    std::string text;
    for (const std::string& size : missing) text += "\nNot measured: " + size + "\n";
    return text;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return 0.5 * (values[middle - 1] + values[middle]);
}

double GeometricMean(const std::vector<double>& values)
{
    double logSum = 0.0;
    int count = 0;
    for (const double value : values) {
        if (value <= 0.0) continue;
        logSum += std::log(value);
        ++count;
    }
    return count > 0 ? std::exp(logSum / count) : 0.0;
}

std::string FormatClock(const BenchClock& clock)
{
    return Text("Pass times in ms on the %s (%s)\n",
                clock.cpu ? "CPU clock from an idle pipeline until the draw is done" : "GPU timestamps",
                clock.reason.c_str());
}

std::string FormatBenchReport(const std::vector<SizeTimings>& timings, int rounds)
{
    std::string text;
    for (const SizeTimings& row : timings) {
        const PassSize half = PassTargetSize(PassTarget::Offscreen, row.size.width, row.size.height);
        text += Text("\n%s (scene %s), median of %d rounds\n", SizeName(row.size).c_str(),
                     SizeName(FrameSize{half.width, half.height}).c_str(), rounds);
        text += JobTable(row);
        text += EndFrameLine(row);
    }
    return text;
}

std::string FormatFirstUse(const FirstUseTimings& timings)
{
    std::string text = Text("\nFirst use at %s: each pixel shader's first draw, before anything has drawn with its "
                            "text in this run, and the median of the draws after it\n",
                            SizeName(timings.size).c_str());
    text += Text("  %-10s %-9s", "pass", "frame");
    for (const std::string& set : timings.sets) text += Text(" %14s %8s", (set + " first").c_str(), "steady");
    text += "\n";
    for (size_t pass = 0; pass < timings.jobs.size(); ++pass) {
        text += Text("  %-10s %-9s", kPasses[pass].name, FrameName(timings.jobs[pass].time).c_str());
        for (size_t set = 0; set < timings.sets.size(); ++set) {
            text += Text(" %14.3f %8.3f", timings.first[set][pass], timings.steady[set][pass]);
        }
        text += "\n";
    }
    return text;
}

// Software renderers draw when the queue is flushed, not between the timestamps around a draw, so
// their GPU timestamps say nothing; under Wine the Direct3D device stands on whatever OpenGL
// driver the machine has, here Mesa's llvmpipe.
BenchClock ChooseClock()
{
    BenchClock clock;
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        clock.cpu = true;
        clock.reason = "under Wine, on a software renderer such as llvmpipe GPU timestamps do not time the draws";
        return clock;
    }
    DXGI_ADAPTER_DESC desc = {};
    IDXGIDevice* dxgiDevice = nullptr;
    if (SUCCEEDED(intro.renderer.device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice)))) {
        IDXGIAdapter* adapter = nullptr;
        if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter))) {
            adapter->GetDesc(&desc);
            adapter->Release();
        }
        dxgiDevice->Release();
    }
    // 0x1414 is Microsoft's own software adapter (WARP).
    constexpr UINT kMicrosoftVendor = 0x1414;
    clock.cpu = desc.VendorId == kMicrosoftVendor;
    clock.reason = clock.cpu ? "a software adapter: its GPU timestamps do not time the draws" : "a hardware adapter";
    return clock;
}
