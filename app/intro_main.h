#pragma once

#include <windows.h>
#include <timeapi.h>

#include <cstdint>

#include "app/shell_rules.h"
#include "core/failure_report.h"

// The shell's platform calls that tests watch or refuse, held as pointers like every subsystem's.
struct ShellPlatform {
    decltype(&CreateWindowExW) createWindow;
    decltype(&MessageBoxW) messageBox;
    decltype(&timeBeginPeriod) beginTimerPeriod;
    decltype(&timeEndPeriod) endTimerPeriod;
    decltype(&SetThreadExecutionState) setExecutionState;
    // The display's refresh and the loop's waits, for pacing frames where Present does not wait.
    decltype(&EnumDisplaySettingsW) displaySettings;
    decltype(&SetWaitableTimer) setWaitableTimer;
    decltype(&Sleep) sleep;
};

extern ShellPlatform shellPlatform;

// The real calls, for restoring after a test.
ShellPlatform SystemShellPlatform();

// The shell's counter, in ticks of intro.shell.clockFrequency.
int64_t ReadCounter();

// The pacer for the display the window is on, and the timer its waits use (null without one).
struct LoopPacing {
    HANDLE timer = nullptr;
    HMONITOR monitor = nullptr;
    FramePacer pacer;
};

// After a drawn pass that began at counter value passStart: the rest of a refresh period where
// Present did not wait, else the loop's one-millisecond yield.
void PaceDrawnPass(LoopPacing& pacing, int64_t passStart);

// Shows a modal box over the intro's window with the pointer visible while it is up; the pointer
// is hidden again afterwards if it was hidden before.
int ShowBox(const wchar_t* text, const wchar_t* caption, UINT type);

// The intro's failure sink: the report in an "Error" box.
void ShowFailureBox(const FailureReport& report);

// The whole show, from class registration to shutdown; returns the process exit code (always 0).
int RunIntro(HINSTANCE instance);

// Drains messages and renders frames until WM_QUIT. While the window is minimised or occluded it
// draws nothing and only moves the show's clock-driven steps on; where Present does not wait for
// the vertical blank it holds frames to the display's refresh rate.
void RunMainLoop();

// Stops the music, then releases the renderer's and the scroller's objects in their fixed order.
// Safe with any subset made: every step checks its object and clears its field.
void ShutdownRoutine();
