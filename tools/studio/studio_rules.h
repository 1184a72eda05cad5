#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/intro_fields.h"
#include "scroller/scroller_rules.h"

// The studio's platform-free rules: the seekable timeline, the scroller stepped up to any loop
// time, the keys, the heads-up line and the names of stills.

constexpr double kStudioFrameSeconds = 1.0 / 60.0;  // one frame step, and the scroller's step
constexpr int kSlowestSpeedExponent = -3;            // 1/8x
constexpr int kFastestSpeedExponent = 3;             // 8x

struct Timeline {
    double t = 0.0;           // the show's loop time, seconds
    bool paused = false;
    int speedExponent = 0;    // speed = 2^speedExponent
    ExitState exit;           // the end card, as the renderer reads it
    double leftShowAt = 0.0;  // the loop time at which the end card began, where R returns to
};

double TimelineSpeed(const Timeline& timeline);

// Moves the loop time on by the wall time times the speed; nothing while paused. Negative or
// non-finite wall time is ignored.
void AdvanceTimeline(Timeline& timeline, double wallSeconds);

// Moves by seconds either way, never below 0 and, in the end card, never before its start.
void SeekTimeline(Timeline& timeline, double seconds);

// Moves by whole frames of 1/60 s with the same floors, only while paused.
void StepTimeline(Timeline& timeline, int frames);

// Back to the show at 0, leaving the end card.
void HomeTimeline(Timeline& timeline);

// Starts the end card at the current loop time, once, and remembers that time.
void StartEndCard(Timeline& timeline);

// Leaves the end card for the show at the time it was left; nothing outside the end card.
void ReturnFromEndCard(Timeline& timeline);

// +1 doubles the speed, -1 halves it, within 1/8x to 8x.
void ChangeSpeed(Timeline& timeline, int direction);

// The music plays only while the show runs at its own speed.
bool MusicAudible(const Timeline& timeline);

// The music's place for loop time t in a loop of loopSeconds (> 0): t modulo the loop, in [0, loop).
double TrackSecondsAt(double t, double loopSeconds);

// The scroller as a run from loop time 0 would have it just before the frame at loop time t:
// UpdateScroller at every frame time k/60 s with k/60 < end, where end is t, or the end card's
// start while it is active. steps is the number of frame times stepped so far.
struct SteppedScroller {
    ScrollMotion motion;
    long long steps = 0;
};

// Steps on from what was stepped when end has moved forward, from 0 again when it has moved back.
void StepScrollerTo(SteppedScroller& stepped, double t, bool exitActive, double exitStartTime,
                    const ScrollCourse& course);

enum class StudioAction {
    None,
    TogglePause,
    SeekBack,
    SeekForward,
    SeekBackFar,
    SeekForwardFar,
    Home,
    StepBack,
    StepForward,
    EndCard,
    ReturnToShow,
    Faster,
    Slower,
    ToggleHud,
    Still,
    ToggleFullscreen,
    Quit
};

// The Windows virtual-key codes the studio answers to.
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyHome = 0x24;
constexpr uint32_t kKeyLeft = 0x25;
constexpr uint32_t kKeyUp = 0x26;
constexpr uint32_t kKeyRight = 0x27;
constexpr uint32_t kKeyDown = 0x28;
constexpr uint32_t kKeyEscape = 0x1B;
constexpr uint32_t kKeyE = 0x45;
constexpr uint32_t kKeyH = 0x48;
constexpr uint32_t kKeyQ = 0x51;
constexpr uint32_t kKeyR = 0x52;
constexpr uint32_t kKeyF11 = 0x7A;
constexpr uint32_t kKeyF12 = 0x7B;
constexpr uint32_t kKeyComma = 0xBC;   // VK_OEM_COMMA
constexpr uint32_t kKeyPeriod = 0xBE;  // VK_OEM_PERIOD

// Shift makes Left and Right seek far; Escape starts the end card as E does.
StudioAction KeyAction(uint32_t virtualKey, bool shift);

struct HudFigures {
    double t = 0.0;
    double speed = 1.0;
    bool paused = false;
    double framesPerSecond = 0.0;
    std::vector<std::pair<std::string, double>> passMilliseconds;  // each pass's name and time
    bool cpuClock = false;    // the pass times were taken on the CPU's clock, not the GPU's
    std::string shaderState;  // written after "shader ": "compiled 12:34:56" or "error"
};

// "t 12.345 s  x1  60 fps  scene 3.1 ms  composite 0.9 ms  end 0.0 ms (CPU clock)  shader compiled 12:34:56",
// with "paused" after the speed while paused; speeds below 1 are written x1/2, x1/4, x1/8.
std::string HudLine(const HudFigures& figures);

// At most maxLines non-empty lines of the compiler's text, its error lines first and then the
// rest in their order, each cut to maxColumns.
std::vector<std::string> FirstErrorLines(std::string_view compilerText, size_t maxLines, size_t maxColumns);

// "htn_still_%09lldms.png" of loop time t in rounded milliseconds.
std::string StillFileName(double t);
