#include "tools/frames/frames_options.h"

#include <cmath>
#include <cstdlib>
#include <optional>

const char kFramesUsage[] =
    "usage: htn_frames [--size WxH] (--t T | --exit-t E | --t T --exit-t E) --out FILE.png ...\n"
    "       htn_frames --reference-set FOLDER\n"
    "  --size WxH          client size (default 960x540), each side 2 to 16384\n"
    "  --t T               loop time in seconds\n"
    "  --exit-t E          seconds since Escape (end card); without --t, Escape is at 20 s\n"
    "  --out FILE.png      writes the frame given by the preceding --t/--exit-t\n"
    "  --reference-set DIR writes every reference frame as DIR/<W>x<H>/<name>.png\n";

namespace {

constexpr int kLargestSide = 16384;

// The --t and --exit-t given since the last --out.
struct PendingTimes {
    bool hasT = false;
    float t = 0.0f;
    bool hasExitT = false;
    float exitT = 0.0f;
};

bool ParseSeconds(const std::string& text, float* seconds)
{
    if (text.empty()) return false;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value < 0.0f) return false;
    *seconds = value;
    return true;
}

std::optional<int> ParseSide(const std::string& text)
{
    if (text.empty() || text.size() > 5) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const int value = std::atoi(text.c_str());
    // A side of 1 would leave the offscreen target without pixels.
    if (value < 2 || value > kLargestSide) return std::nullopt;
    return value;
}

std::optional<FrameSize> ParseSize(const std::string& text)
{
    const size_t cross = text.find('x');
    if (cross == std::string::npos) return std::nullopt;
    const std::optional<int> width = ParseSide(text.substr(0, cross));
    const std::optional<int> height = ParseSide(text.substr(cross + 1));
    if (!width || !height) return std::nullopt;
    return FrameSize{*width, *height};
}

// The frame made of the pending times, once --out closes it.
std::optional<FrameTime> PendingFrame(const PendingTimes& pending, std::string* error)
{
    if (!pending.hasT && !pending.hasExitT) {
        *error = "--out needs a --t or an --exit-t before it";
        return std::nullopt;
    }
    if (!pending.hasExitT) return IntroFrame(pending.t);
    if (!pending.hasT) return EndCardFrame(pending.exitT);
    if (pending.exitT > pending.t) {
        *error = "--exit-t cannot exceed --t: Escape would come before the loop began";
        return std::nullopt;
    }
    FrameTime time;
    time.t = pending.t;
    time.exitActive = true;
    time.exitStartTime = pending.t - pending.exitT;
    return time;
}

}  // namespace

bool ParseFramesOptions(const std::vector<std::string>& args, FramesOptions* options, std::string* error)
{
    *options = FramesOptions();
    PendingTimes pending;
    bool sizeGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            *error = name + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--size") {
            const std::optional<FrameSize> size = ParseSize(value);
            if (!size) {
                *error = "--size wants WxH with each side from 2 to 16384, not '" + value + "'";
                return false;
            }
            options->size = *size;
            sizeGiven = true;
        } else if (name == "--t" || name == "--exit-t") {
            const bool isT = name == "--t";
            if (!ParseSeconds(value, isT ? &pending.t : &pending.exitT)) {
                *error = name + " wants seconds from 0 on, not '" + value + "'";
                return false;
            }
            (isT ? pending.hasT : pending.hasExitT) = true;
        } else if (name == "--out") {
            const std::optional<FrameTime> time = PendingFrame(pending, error);
            if (!time) return false;
            options->jobs.push_back({*time, value});
            pending = PendingTimes();
        } else if (name == "--reference-set") {
            options->referenceFolder = value;
        } else {
            *error = "unknown option '" + name + "'";
            return false;
        }
    }
    if (pending.hasT || pending.hasExitT) {
        *error = "a --t or --exit-t without an --out after it";
        return false;
    }
    if (options->jobs.empty() == options->referenceFolder.empty()) {
        *error = "give either frames (--out) or --reference-set, one of the two";
        return false;
    }
    if (sizeGiven && !options->referenceFolder.empty()) {
        *error = "--reference-set makes every reference size; --size does not go with it";
        return false;
    }
    return true;
}
