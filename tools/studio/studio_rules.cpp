#include "tools/studio/studio_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/shell_rules.h"

namespace {

// The end card's picture is reckoned from its start, so time inside it never goes before that.
double EarliestTime(const Timeline& timeline)
{
    return timeline.exit.exitActive ? static_cast<double>(timeline.exit.exitStartTime) : 0.0;
}

void MoveTo(Timeline& timeline, double t)
{
    if (std::isfinite(t)) timeline.t = std::max(t, EarliestTime(timeline));
}

// The loop time of frame k, as the show's clock gives it with 60 ticks a second.
double FrameTime(long long k) { return static_cast<double>(k) / 60.0; }

}  // namespace

double TimelineSpeed(const Timeline& timeline) { return std::ldexp(1.0, timeline.speedExponent); }

void AdvanceTimeline(Timeline& timeline, double wallSeconds)
{
    if (timeline.paused || !std::isfinite(wallSeconds) || wallSeconds < 0.0) return;
    timeline.t += wallSeconds * TimelineSpeed(timeline);
}

void SeekTimeline(Timeline& timeline, double seconds) { MoveTo(timeline, timeline.t + seconds); }

void StepTimeline(Timeline& timeline, int frames)
{
    if (timeline.paused) MoveTo(timeline, timeline.t + frames * kStudioFrameSeconds);
}

void HomeTimeline(Timeline& timeline)
{
    timeline.exit = ExitState();
    timeline.t = 0.0;
}

void StartEndCard(Timeline& timeline)
{
    if (StartExitSequence(timeline.exit, static_cast<float>(timeline.t))) timeline.leftShowAt = timeline.t;
}

void ReturnFromEndCard(Timeline& timeline)
{
    if (!timeline.exit.exitActive) return;
    timeline.exit = ExitState();
    timeline.t = timeline.leftShowAt;
}

void ChangeSpeed(Timeline& timeline, int direction)
{
    timeline.speedExponent =
        std::clamp(timeline.speedExponent + direction, kSlowestSpeedExponent, kFastestSpeedExponent);
}

bool MusicAudible(const Timeline& timeline) { return !timeline.paused && timeline.speedExponent == 0; }

double TrackSecondsAt(double t, double loopSeconds)
{
    // Loop time never goes below 0, so fmod's remainder is already in [0, loop).
    if (!(loopSeconds > 0.0) || !std::isfinite(t) || t <= 0.0) return 0.0;
    return std::fmod(t, loopSeconds);
}

void StepScrollerTo(SteppedScroller& stepped, double t, bool exitActive, double exitStartTime,
                    const ScrollCourse& course)
{
    const double end = exitActive ? exitStartTime : t;
    if (!std::isfinite(end)) return;
    // A run cannot be stepped backwards, so going back starts it again from 0.
    if (stepped.steps > 0 && FrameTime(stepped.steps - 1) >= end) stepped = SteppedScroller();
    while (FrameTime(stepped.steps) < end) {
        UpdateScroller(stepped.motion, static_cast<float>(FrameTime(stepped.steps)), course);
        ++stepped.steps;
    }
}

StudioAction KeyAction(uint32_t virtualKey, bool shift)
{
    switch (virtualKey) {
    case kKeySpace: return StudioAction::TogglePause;
    case kKeyLeft: return shift ? StudioAction::SeekBackFar : StudioAction::SeekBack;
    case kKeyRight: return shift ? StudioAction::SeekForwardFar : StudioAction::SeekForward;
    case kKeyHome: return StudioAction::Home;
    case kKeyComma: return StudioAction::StepBack;
    case kKeyPeriod: return StudioAction::StepForward;
    case kKeyE:
    case kKeyEscape: return StudioAction::EndCard;
    case kKeyR: return StudioAction::ReturnToShow;
    case kKeyUp: return StudioAction::Faster;
    case kKeyDown: return StudioAction::Slower;
    case kKeyH: return StudioAction::ToggleHud;
    case kKeyF12: return StudioAction::Still;
    case kKeyF11: return StudioAction::ToggleFullscreen;
    case kKeyQ: return StudioAction::Quit;
    default: return StudioAction::None;
    }
}

namespace {

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string SpeedText(double speed)
{
    if (speed >= 1.0) return Format("x%.0f", speed);
    return Format("x1/%.0f", 1.0 / speed);
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Microsoft's compiler writes "error X3004", Wine's writes codes such as "E5005".
bool IsErrorLine(std::string_view line)
{
    if (line.find("error") != std::string_view::npos) return true;
    for (size_t at = line.find(": E"); at != std::string_view::npos; at = line.find(": E", at + 1)) {
        if (at + 3 < line.size() && line[at + 3] >= '0' && line[at + 3] <= '9') return true;
    }
    return false;
}

}  // namespace

std::string HudLine(const HudFigures& figures)
{
    std::string line = Format("t %.3f s", figures.t) + "  " + SpeedText(figures.speed);
    if (figures.paused) line += "  paused";
    line += Format("  %.0f fps", figures.framesPerSecond);
    for (const auto& [name, milliseconds] : figures.passMilliseconds) {
        line += "  " + name + Format(" %.1f ms", milliseconds);
    }
    if (figures.cpuClock && !figures.passMilliseconds.empty()) line += " (CPU clock)";
    if (!figures.shaderState.empty()) line += "  shader " + figures.shaderState;
    return line;
}

std::vector<std::string> FirstErrorLines(std::string_view compilerText, size_t maxLines, size_t maxColumns)
{
    // The compiler's buffer may carry its terminating NUL.
    compilerText = compilerText.substr(0, compilerText.find('\0'));
    std::vector<std::string_view> errors;
    std::vector<std::string_view> others;
    while (!compilerText.empty()) {
        const size_t end = std::min(compilerText.find('\n'), compilerText.size());
        std::string_view line = compilerText.substr(0, end);
        compilerText.remove_prefix(std::min(end + 1, compilerText.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (IsBlank(line)) continue;
        (IsErrorLine(line) ? errors : others).push_back(line);
    }
    errors.insert(errors.end(), others.begin(), others.end());
    std::vector<std::string> lines;
    for (size_t i = 0; i < errors.size() && i < maxLines; ++i) lines.emplace_back(errors[i].substr(0, maxColumns));
    return lines;
}

std::string StillFileName(double t)
{
    const long long milliseconds = std::isfinite(t) && t > 0.0 ? std::llround(t * 1000.0) : 0;
    char name[64];
    std::snprintf(name, sizeof name, "htn_still_%09lldms.png", milliseconds);
    return name;
}
