#include <windows.h>
#include <dxgi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/failure_report.h"
#include "core/intro_state.h"
#include "render/renderer.h"
#include "tools/frames/bench_passes.h"
#include "tools/frames/bench_report.h"
#include "tools/frames/frame_capture.h"
#include "tools/frames/frame_window.h"
#include "tools/frames/image_compare.h"
#include "tools/frames/pass_timer.h"
#include "tools/frames/png_file.h"
#include "tools/frames/shader_set.h"
#include "tools/frames/show_check.h"
#include "shaders/shader_source.h"

// Times the intro's passes at several client sizes and prints the medians, next to a flat-colour
// pass over the same targets; with --against, times a reference shader text beside the current one
// in the same rounds and prints the ratios. Prints figures only; nothing is judged, except by
// --show-check, which compares the two texts' pictures over the whole show.

namespace {

const char kUsage[] =
    "usage: htn_pass_benchmark [--rounds N] [--sizes WxH[,WxH...]] [--against FILE.hlsl [--show-check]]\n"
    "                          [--wait-limit SECONDS]\n"
    "       htn_pass_benchmark --first-use [--sizes WxH] [--against FILE.hlsl] [--wait-limit SECONDS]\n"
    "  --rounds N        timed rounds per size, each drawing every pass once per shader text (default 12)\n"
    "  --sizes LIST      client sizes (default 1280x720,1920x1080,3840x2160)\n"
    "  --against FILE    times the shader text in FILE beside the current one, interleaved, and prints\n"
    "                    the ratio current / reference for every pass\n"
    "  --show-check      draws every frame of ShowFrameTimes with both texts at each size and compares\n"
    "                    them with the reference frames' tolerance; failing frames leave a _diff.png\n"
    "  --first-use       times each pixel shader's first draw instead, at the first size; drivers keep\n"
    "                    compiled shaders for the whole session, so run it in a fresh one\n"
    "  --wait-limit S    how long one wait for a query may take before the query counts as stalled\n"
    "                    and the size is given up with a report of it (default 120)\n";

constexpr int kDefaultRounds = 12;
constexpr int kWarmUpRounds = 1;
// The end-card frames after the first one, and the draws after a shader's first, whose median is
// the steady cost.
constexpr int kSteadyEndFrames = 7;
constexpr int kSteadyDraws = 5;

struct Options {
    int rounds = kDefaultRounds;
    std::vector<FrameSize> sizes = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    std::string againstPath;
    bool showCheck = false;
    bool firstUse = false;
    double waitLimit = kDefaultQueryWaitSeconds;
};

void PrintFailure(const FailureReport& report)
{
    std::fprintf(stderr, "htn_pass_benchmark: %ls\n", report.text.c_str());
}

bool ParseCount(const char* text, int* count)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 100000) return false;
    *count = static_cast<int>(value);
    return true;
}

bool ParseSizes(const std::string& text, std::vector<FrameSize>* sizes)
{
    sizes->clear();
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        int width = 0;
        int height = 0;
        char extra = 0;
        if (std::sscanf(item.c_str(), "%dx%d%c", &width, &height, &extra) != 2) return false;
        if (width < 2 || height < 2 || width > 16384 || height > 16384) return false;
        sizes->push_back({width, height});
    }
    return !sizes->empty();
}

bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--rounds" && hasValue) {
            if (!ParseCount(argv[++i], &options->rounds)) return false;
        } else if (option == "--sizes" && hasValue) {
            if (!ParseSizes(argv[++i], &options->sizes)) return false;
        } else if (option == "--against" && hasValue) {
            options->againstPath = argv[++i];
        } else if (option == "--show-check") {
            options->showCheck = true;
        } else if (option == "--first-use") {
            options->firstUse = true;
        } else if (option == "--wait-limit" && hasValue) {
            int seconds = 0;
            if (!ParseCount(argv[++i], &seconds)) return false;
            options->waitLimit = seconds;
        } else {
            return false;
        }
    }
    return (!options->showCheck || !options->againstPath.empty()) && !(options->showCheck && options->firstUse);
}

bool ReadText(const std::string& path, std::string* text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::stringstream bytes;
    bytes << file.rdbuf();
    *text = bytes.str();
    return !text->empty();
}

// Which Direct3D 11 the process runs on: the loaded d3d11.dll's product and description (Wine's
// own, DXVK, Microsoft's), and the adapter the renderer's device stands on.
D3DRuntime DescribeRuntime()
{
    D3DRuntime runtime;
    HMODULE module = GetModuleHandleW(L"d3d11.dll");
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* block = loaded ? LockResource(loaded) : nullptr;
    if (block) {
        const size_t size = SizeofResource(module, found);
        runtime.product = VersionInfoString(block, size, L"ProductName");
        runtime.description = VersionInfoString(block, size, L"FileDescription");
    }
    IDXGIDevice* dxgiDevice = nullptr;
    if (SUCCEEDED(intro.renderer.device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice)))) {
        IDXGIAdapter* adapter = nullptr;
        DXGI_ADAPTER_DESC desc = {};
        if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter))) {
            if (SUCCEEDED(adapter->GetDesc(&desc))) runtime.adapter = desc.Description;
            adapter->Release();
        }
        dxgiDevice->Release();
    }
    return runtime;
}

// The clock and the runtime, taken once the first device stands.
void DescribeRun(BenchClock* clock, D3DRuntime* runtime)
{
    if (!clock->reason.empty()) return;
    *clock = ChooseClock();
    *runtime = DescribeRuntime();
}

// The slots' names for the reports: "scene t04.50", with the shader set when two are timed.
std::string SlotName(const BenchJob& job, const std::vector<std::string>& sets, size_t set)
{
    return sets.size() > 1 ? JobName(job) + " (" + sets[set] + ")" : JobName(job);
}

// The milliseconds of each slot for one timed frame on the chosen clock; false when the chosen
// clock gave nothing for it, stalled set when that was a query that never answered.
bool CollectRound(PassTimer& timer, const BenchClock& clock, std::vector<double>* milliseconds, bool* stalled,
                  std::string* error)
{
    std::vector<double> gpu;
    std::vector<double> wall;
    const bool gpuTimed = timer.Collect(intro.renderer.context, &gpu, &wall, stalled, error);
    if (clock.cpu) {
        *milliseconds = wall;
        return true;
    }
    *milliseconds = gpu;
    return gpuTimed;
}

// The renderer's own first end-card frame after two intro frames, then the steady ones after it:
// what the viewer waits for after Escape.
bool TimeFirstEndFrame(const BenchClock& clock, double waitLimit, SizeTimings* row, std::string* error)
{
    PassTimer timer;
    if (!timer.Create(intro.renderer.device, {"the renderer's frame"}, !clock.cpu, waitLimit, error)) return false;
    std::vector<FrameTime> frames = {IntroFrame(11.95f), IntroFrame(11.97f)};
    for (int frame = 0; frame <= kSteadyEndFrames; ++frame) frames.push_back(EndCardFrame(0.5f + frame / 60.0f));
    std::vector<double> steady;
    for (const FrameTime& time : frames) {
        PrepareFrameState(time);
        timer.BeginFrame(intro.renderer.context);
        if (!timer.BeginPass(intro.renderer.context, 0, error)) return false;
        DrawFrame(time.t);
        if (!timer.EndPass(intro.renderer.context, 0, error)) return false;
        timer.EndFrame(intro.renderer.context);
        std::vector<double> milliseconds;
        bool stalled = false;
        if (!CollectRound(timer, clock, &milliseconds, &stalled, error)) return false;
        if (!time.exitActive) continue;
        if (row->firstEndFrame == 0.0) {
            row->firstEndFrame = milliseconds[0];
        } else {
            steady.push_back(milliseconds[0]);
        }
    }
    row->steadyEndFrame = Median(steady);
    return true;
}

// A trivial shader for whichever entry the renderer's start-up compiles (the passes' and any other,
// such as the signature's), in place of its own text, so that its warm-up draws nothing with the
// texts measured afterwards.
std::string StandInSource(const char* entry, const char* target)
{
    std::string text = "struct VSOut { float4 pos : SV_Position; float2 uv : T0; };\n";
    if (target[0] == 'v') {
        return text + "VSOut " + entry +
               "(uint id : SV_VertexID) { VSOut o; o.pos = float4(0.0, 0.0, 0.0, 1.0); o.uv = 0.0; return o; }\n";
    }
    return text + "float4 " + entry + "(VSOut i) : SV_Target { return float4(0.0, 0.0, 0.0, 1.0); }\n";
}

HRESULT WINAPI CompileStandIn(LPCVOID, SIZE_T, LPCSTR name, const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                              LPCSTR entry, LPCSTR target, UINT flags1, UINT flags2, ID3DBlob** code,
                              ID3DBlob** messages)
{
    const std::string text = StandInSource(entry, target);
    return D3DCompile(text.data(), text.size(), name, defines, include, entry, target, flags1, flags2, code,
                      messages);
}

// Each set's first draw of every pass (one frame per pass), then kSteadyDraws more for the median.
bool TimeFirstUse(const std::vector<const ShaderSet*>& sets, const BenchClock& clock, double waitLimit,
                  FirstUseTimings* timings, std::string* error)
{
    std::vector<std::string> slotNames;
    for (int pass = 0; pass < kPassCount; ++pass) slotNames.push_back(JobName(timings->jobs[pass]));
    PassTimer timer;
    if (!timer.Create(intro.renderer.device, slotNames, !clock.cpu, waitLimit, error)) return false;
    timings->first.assign(sets.size(), std::vector<double>(kPassCount, 0.0));
    timings->steady.assign(sets.size(), std::vector<double>(kPassCount, 0.0));
    for (size_t set = 0; set < sets.size(); ++set) {
        const ShaderLoan loan(*sets[set]);
        std::vector<std::vector<double>> steady(kPassCount);
        for (int draw = 0; draw <= kSteadyDraws; ++draw) {
            timer.BeginFrame(intro.renderer.context);
            for (int pass = 0; pass < kPassCount; ++pass) {
                if (!TimeJob(timer, pass, timings->jobs[pass], error)) {
                    *error = "with the " + timings->sets[set] + " text: " + *error;
                    return false;
                }
            }
            timer.EndFrame(intro.renderer.context);
            std::vector<double> milliseconds;
            bool stalled = false;
            if (!CollectRound(timer, clock, &milliseconds, &stalled, error)) return false;
            for (int pass = 0; pass < kPassCount; ++pass) {
                if (draw == 0) {
                    timings->first[set][pass] = milliseconds[pass];
                } else {
                    steady[pass].push_back(milliseconds[pass]);
                }
            }
        }
        for (int pass = 0; pass < kPassCount; ++pass) timings->steady[set][pass] = Median(steady[pass]);
    }
    return true;
}

bool MeasureFirstUse(const FrameSize& size, const std::string& referenceText, double waitLimit, BenchClock* clock,
                     D3DRuntime* runtime, FirstUseTimings* timings)
{
    intro = IntroState();
    timings->size = size;
    const std::vector<BenchJob> jobs = BenchJobs();
    for (int pass = 0; pass < kPassCount; ++pass) timings->jobs.push_back(jobs[FirstJobOfPass(jobs, pass)]);
    HWND window = OpenFrameWindow(size.width, size.height);
    if (!window) {
        std::fprintf(stderr, "htn_pass_benchmark: CreateWindowExW failed (%lu)\n", GetLastError());
        return false;
    }
    rendererPlatform.compile = CompileStandIn;
    bool ok = InitRenderer(EmbeddedShaderText());
    rendererPlatform = SystemRendererPlatform();
    std::string error;
    ShaderSet current;
    ShaderSet reference;
    std::vector<const ShaderSet*> sets = {&current};
    timings->sets = {"current"};
    if (ok) DescribeRun(clock, runtime);
    ok = ok && current.Compile(CurrentShaderText(), &error);
    if (ok && !referenceText.empty()) {
        ok = reference.Compile(referenceText, &error);
        sets.push_back(&reference);
        timings->sets.push_back("reference");
    }
    ok = ok && TimeFirstUse(sets, *clock, waitLimit, timings, &error);
    if (!ok && !error.empty()) std::fprintf(stderr, "htn_pass_benchmark: %s\n", error.c_str());
    ReleaseRenderer();
    DestroyWindow(window);
    intro = IntroState();
    return ok;
}

// Rounds of every job with every set, the jobs' order turned by one each round and the sets'
// order alternating, so that neither a job nor a set always runs first; each draw waits for an
// idle pipeline.
bool TimeRounds(const std::vector<const ShaderSet*>& sets, int rounds, const BenchClock& clock, double waitLimit,
                ID3D11PixelShader* flatShader, SizeTimings* row, std::string* error)
{
    const int jobCount = static_cast<int>(row->jobs.size());
    const int setCount = static_cast<int>(sets.size());
    const int flatSlot = setCount * jobCount;
    std::vector<std::string> slotNames;
    for (size_t set = 0; set < sets.size(); ++set) {
        for (const BenchJob& job : row->jobs) slotNames.push_back(SlotName(job, row->sets, set));
    }
    slotNames.insert(slotNames.end(), std::begin(kFlatFillNames), std::end(kFlatFillNames));
    PassTimer timer;
    if (!timer.Create(intro.renderer.device, slotNames, !clock.cpu, waitLimit, error)) return false;

    std::vector<std::vector<double>> samples(static_cast<size_t>(flatSlot + 2));
    int failures = 0;
    for (int round = 0; round < kWarmUpRounds + rounds;) {
        timer.BeginFrame(intro.renderer.context);
        for (int k = 0; k < jobCount; ++k) {
            const int job = (k + round) % jobCount;
            for (int s = 0; s < setCount; ++s) {
                const int set = (s + round) % setCount;
                const ShaderLoan loan(*sets[set]);
                if (!TimeJob(timer, set * jobCount + job, row->jobs[job], error)) return false;
            }
        }
        if (!TimeFlatFills(timer, flatShader, flatSlot, error)) return false;
        timer.EndFrame(intro.renderer.context);
        std::vector<double> milliseconds;
        bool stalled = false;
        if (!CollectRound(timer, clock, &milliseconds, &stalled, error)) {
            // A disjoint GPU clock spoils only its round; a query that never answers ends the size.
            if (stalled || ++failures > rounds) return false;
            continue;
        }
        if (round++ < kWarmUpRounds) continue;
        for (size_t slot = 0; slot < samples.size(); ++slot) samples[slot].push_back(milliseconds[slot]);
    }
    row->medians.assign(sets.size(), std::vector<double>(row->jobs.size(), 0.0));
    for (int set = 0; set < setCount; ++set) {
        for (int job = 0; job < jobCount; ++job) row->medians[set][job] = Median(samples[set * jobCount + job]);
    }
    row->flatHalf = Median(samples[flatSlot]);
    row->flatFull = Median(samples[flatSlot + 1]);
    return true;
}

// Both texts draw every frame of the show; prints the frames beyond the tolerance and a summary,
// and counts those frames into failing. False, with error, when a frame cannot be drawn or kept.
bool CheckShow(const FrameSize& size, const ShaderSet& current, const ShaderSet& reference, int* failing,
               std::string* error)
{
    const FrameTolerance tolerance;
    const std::vector<FrameTime> times = ShowFrameTimes();
    *failing = 0;
    FrameDifference worst;
    std::string worstName;
    for (const FrameTime& time : times) {
        RgbaImage expected;
        RgbaImage actual;
        if (!DrawWithBoth(time, reference, current, &expected, &actual, error)) return false;
        const FrameDifference difference = CompareFrames(expected, actual, tolerance.channelLevels);
        const std::string name = FrameName(time);
        if (worstName.empty() || difference.outliers > worst.outliers ||
            (difference.outliers == worst.outliers && difference.largestLevels > worst.largestLevels)) {
            worst = difference;
            worstName = name;
        }
        if (WithinTolerance(difference, tolerance)) continue;
        ++*failing;
        std::printf("  %s: %lld of %lld pixels differ by more than %d/255 (largest %d/255)\n", name.c_str(),
                    difference.outliers, difference.pixels, tolerance.channelLevels, difference.largestLevels);
        const std::string stem = "show_" + SizeName(size) + "_" + name;
        if (!WritePng(WidePath(stem + "_diff.png"), DifferenceImage(expected, actual, tolerance.channelLevels), error) ||
            !WritePng(WidePath(stem + "_actual.png"), actual, error)) {
            return false;
        }
    }
    std::printf("Whole-show check at %s: %zu frames (%s to %s), at most %d/255 on all but %.1f %% of pixels: "
                "%zu match, %d do not; most outliers %lld of %lld (%s, largest %d/255)\n",
                SizeName(size).c_str(), times.size(), FrameName(times.front()).c_str(),
                FrameName(times.back()).c_str(), tolerance.channelLevels, 100.0 * tolerance.outlierFraction,
                times.size() - *failing, *failing, worst.outliers, worst.pixels, worstName.c_str(),
                worst.largestLevels);
    std::fflush(stdout);
    return true;
}

struct SizeResult {
    bool measured = false;
    bool showMatched = true;
};

SizeResult MeasureSize(const FrameSize& size, const Options& options, const std::string& referenceText,
                       BenchClock* clock, D3DRuntime* runtime, SizeTimings* row, std::string* error)
{
    SizeResult result;
    intro = IntroState();
    row->size = size;
    row->jobs = BenchJobs();
    HWND window = OpenFrameWindow(size.width, size.height);
    if (!window) {
        std::fprintf(stderr, "htn_pass_benchmark: CreateWindowExW failed (%lu)\n", GetLastError());
        return result;
    }
    ShaderSet current;
    ShaderSet reference;
    std::vector<const ShaderSet*> sets = {&current};
    row->sets = {"current"};
    ID3D11PixelShader* flatShader = nullptr;
    bool ok = InitRenderer(EmbeddedShaderText());
    if (ok) DescribeRun(clock, runtime);
    ok = ok && TimeFirstEndFrame(*clock, options.waitLimit, row, error) && current.Compile(CurrentShaderText(), error);
    if (ok && !referenceText.empty()) {
        ok = reference.Compile(referenceText, error);
        sets.push_back(&reference);
        row->sets.push_back("reference");
    }
    ok = ok && (flatShader = CreateFlatPixelShader(error)) &&
         TimeRounds(sets, options.rounds, *clock, options.waitLimit, flatShader, row, error);
    if (ok && options.showCheck) {
        int failing = 0;
        ok = CheckShow(size, current, reference, &failing, error);
        result.showMatched = failing == 0;
    }
    if (!ok) {
        if (error->empty()) *error = "the renderer did not start";
        std::fprintf(stderr, "htn_pass_benchmark: %s: %s\n", SizeName(size).c_str(), error->c_str());
    }
    if (flatShader) flatShader->Release();
    ReleaseRenderer();
    DestroyWindow(window);
    intro = IntroState();
    result.measured = ok;
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    std::string referenceText;
    if (!options.againstPath.empty() && !ReadText(options.againstPath, &referenceText)) {
        std::fprintf(stderr, "htn_pass_benchmark: cannot read %s\n", options.againstPath.c_str());
        return 2;
    }
    SetFailureSink(PrintFailure);
    BenchClock clock;
    D3DRuntime runtime;
    if (options.firstUse) {
        FirstUseTimings firstUse;
        if (!MeasureFirstUse(options.sizes.front(), referenceText, options.waitLimit, &clock, &runtime, &firstUse)) {
            return 1;
        }
        std::printf("%s%s%s", FormatRuntime(runtime).c_str(), FormatClock(clock).c_str(),
                    FormatFirstUse(firstUse).c_str());
        return 0;
    }
    std::vector<SizeTimings> timings;
    std::vector<std::string> missing;
    bool allMatched = true;
    for (const FrameSize& size : options.sizes) {
        SizeTimings row;
        std::string error;
        const SizeResult result = MeasureSize(size, options, referenceText, &clock, &runtime, &row, &error);
        allMatched = allMatched && result.showMatched;
        if (result.measured) {
            timings.push_back(row);
        } else {
            missing.push_back(SizeName(size) + ": " + error);
        }
    }
    std::printf("%s%s%s%s", FormatRuntime(runtime).c_str(), FormatClock(clock).c_str(),
                FormatBenchReport(timings, options.rounds).c_str(), FormatMissing(missing).c_str());
    return missing.empty() && allMatched ? 0 : 1;
}
