#include "tools/capture/capture_options.h"

#include <cmath>
#include <cstdlib>

const char kCaptureUsage[] =
    "usage: htn_capture [--size WxH] [--fps N] [--escape-at S] [--until S] --audio FILE.wav\n"
    "  --size WxH      frame size (default 1920x1080), each side even, 16 to 16384\n"
    "  --fps N         frames per second (default 60), 1 to 240\n"
    "  --escape-at S   loop time of Escape, 0 to 600 s (default: 2 s after the scroller has finished)\n"
    "  --until S       stop before loop time S instead of when the end card closes\n"
    "  --audio FILE    where the show's sound goes, as 16-bit stereo 44.1 kHz WAV\n"
    "Frames go to standard output as raw RGBA, top row first; progress goes to standard error.\n";

namespace {

bool ParseWhole(const std::string& text, int largest, int* value)
{
    if (text.empty() || text.size() > 6) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    *value = std::atoi(text.c_str());
    return *value <= largest;
}

bool ParseSide(const std::string& text, int* side)
{
    return ParseWhole(text, kLargestCaptureSide, side) && *side >= kSmallestCaptureSide && *side % 2 == 0;
}

bool ParseSeconds(const std::string& text, float* seconds)
{
    if (text.empty()) return false;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return false;
    *seconds = value;
    return true;
}

}  // namespace

bool ParseCaptureOptions(const std::vector<std::string>& args, CaptureOptions* options, std::string* error)
{
    *options = CaptureOptions();
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            *error = name + " needs a value";
            return false;
        }
        const std::string& value = args[i + 1];
        if (name == "--size") {
            const size_t cross = value.find('x');
            if (cross == std::string::npos || !ParseSide(value.substr(0, cross), &options->width) ||
                !ParseSide(value.substr(cross + 1), &options->height)) {
                *error = "--size wants WxH with each side even, from 16 to 16384, not '" + value + "'";
                return false;
            }
        } else if (name == "--fps") {
            if (!ParseWhole(value, kLargestFps, &options->fps) || options->fps < 1) {
                *error = "--fps wants a whole number from 1 to 240, not '" + value + "'";
                return false;
            }
        } else if (name == "--escape-at") {
            if (!ParseSeconds(value, &options->escapeAt) || options->escapeAt < 0.0f ||
                options->escapeAt > kLatestEscape) {
                *error = "--escape-at wants seconds from 0 to 600, not '" + value + "'";
                return false;
            }
            options->escapeGiven = true;
        } else if (name == "--until") {
            if (!ParseSeconds(value, &options->until) || options->until <= 0.0f) {
                *error = "--until wants seconds above 0, not '" + value + "'";
                return false;
            }
            options->untilGiven = true;
        } else if (name == "--audio") {
            options->audioPath = value;
        } else {
            *error = "unknown option '" + name + "'";
            return false;
        }
    }
    if (options->audioPath.empty()) {
        *error = "--audio FILE.wav is required";
        return false;
    }
    return true;
}
