#pragma once

#include <cstdint>

#include "core/intro_fields.h"

// The shell's platform-free rules: the loop clock, Escape and the full-screen toggle's bookkeeping.

// Loop time in seconds: the ticks since the loop started, divided in double precision and rounded
// to a 32-bit float. Subtracting in ticks first keeps frame steps exact however long the machine
// has been up; absolute seconds in a float would step by 1/32 s after four days of uptime.
float LoopTime(int64_t counter, int64_t frequency, int64_t loopStartCounter);

// Starts the exit sequence at loop time now; false (and no change) when it has already begun.
bool StartExitSequence(ExitState& state, float now);

// True for a WM_KEYDOWN that a held key repeats: bit 30 of lParam, the previous key state.
bool IsKeyRepeat(uint32_t keyDownLParam);

// What the toggle gives the window: its styles and where it goes.
struct FullscreenPlacement {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The window styles of borderless full screen: WS_POPUP and WS_EX_APPWINDOW.
constexpr uint32_t kFullscreenStyle = 0x80000000u;
constexpr uint32_t kFullscreenExStyle = 0x00040000u;

// Flips the toggle. Entering saves the current styles and rectangle and covers the monitor;
// leaving gives back what the last entry saved.
FullscreenPlacement ToggleFullscreenPlacement(FullscreenState& state, uint32_t currentStyle,
                                              uint32_t currentExStyle, const WindowRect& currentRect,
                                              const WindowRect& monitorRect);

// --- Frame pacing. Present(1, 0) waits for the display's vertical blank and so holds the loop to
// the refresh rate. Where it returns at once (vsync forced off in a driver's settings, some
// virtual displays) the loop would draw frames nobody sees, as fast as it can; the pacer then
// holds each drawn pass to one refresh period.

// Counter ticks of one refresh at the frequency (Hz) a display mode reports. 0 and 1 stand for
// the hardware's default and no display refreshes above 1000 Hz: those count as 60 Hz.
int64_t RefreshTicks(uint32_t displayFrequency, int64_t counterFrequency);

struct FramePacer {
    int64_t periodTicks = 0;    // one refresh
    int64_t meanPassTicks = 0;  // running mean of recent drawn passes, the pacer's waits left out
    bool pacing = false;        // Present has been seen not to wait
    int64_t nextPassAt = 0;     // while pacing: the counter value before which no pass begins
};

// A pacer for a display refreshing every periodTicks, which takes Present to wait until its
// passes show otherwise.
FramePacer StartPacer(int64_t periodTicks);

// After a drawn pass that began at counter value passStart and whose Present returned at now:
// how many ticks to wait before the next pass begins, 0 for none. Passes that average less than
// half a period mean that Present did not wait, and pacing begins; it ends when they average
// three quarters of a period or more, as when Present waits again or the frames grow slow. While
// pacing, passes begin one period apart, and a pass that ran late starts the count afresh rather
// than being caught up.
int64_t PaceAfterPass(FramePacer& pacer, int64_t passStart, int64_t now);
