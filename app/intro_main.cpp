#include "app/intro_main.h"

#include "app/shell_rules.h"
#include "app/window.h"
#include "audio/music.h"
#include "core/failure_text.h"
#include "core/intro_state.h"
#include "render/renderer.h"
#include "shaders/shader_source.h"

ShellPlatform SystemShellPlatform()
{
    return ShellPlatform{&CreateWindowExW,         &MessageBoxW,          &timeBeginPeriod,  &timeEndPeriod,
                         &SetThreadExecutionState, &EnumDisplaySettingsW, &SetWaitableTimer, &Sleep};
}

ShellPlatform shellPlatform = SystemShellPlatform();

namespace {

// While minimised or occluded no frame is drawn; the loop wakes this often to keep the show's
// clock-driven steps (scroller, fade, close) where they would be.
constexpr DWORD kUnseenWaitMilliseconds = 15;

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, from Windows 10 version 1803 on; older systems refuse it.
constexpr DWORD kHighResolutionTimer = 0x00000002;

// Starts the pacer afresh for the monitor's refresh rate whenever the window is on a new monitor.
void FollowDisplay(LoopPacing& pacing)
{
    const HMONITOR monitor = MonitorFromWindow(intro.shell.mainWindow, MONITOR_DEFAULTTONEAREST);
    if (monitor == pacing.monitor && pacing.pacer.periodTicks > 0) return;
    pacing.monitor = monitor;
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    uint32_t hertz = 0;
    if (GetMonitorInfoW(monitor, &info) &&
        shellPlatform.displaySettings(info.szDevice, ENUM_CURRENT_SETTINGS, &mode)) {
        hertz = mode.dmDisplayFrequency;
    }
    pacing.pacer = StartPacer(RefreshTicks(hertz, intro.shell.clockFrequency));
}

// On the high-resolution timer where there is one; else with Sleep, in whole milliseconds at the
// 1 ms timer period the loop has set.
void WaitTicks(const LoopPacing& pacing, int64_t ticks)
{
    if (pacing.timer) {
        LARGE_INTEGER due;
        due.QuadPart = -(ticks * 10'000'000 / intro.shell.clockFrequency);  // relative, in 100 ns
        if (shellPlatform.setWaitableTimer(pacing.timer, &due, 0, nullptr, nullptr, FALSE)) {
            WaitForSingleObject(pacing.timer, INFINITE);
            return;
        }
    }
    shellPlatform.sleep(static_cast<DWORD>(ticks * 1000 / intro.shell.clockFrequency));
}

}  // namespace

int64_t ReadCounter()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

void PaceDrawnPass(LoopPacing& pacing, int64_t passStart)
{
    // An occluded Present returned at once without showing anything: it tells nothing of the display.
    if (intro.renderer.occluded) return;
    FollowDisplay(pacing);
    const int64_t wait = PaceAfterPass(pacing.pacer, passStart, ReadCounter());
    if (wait > 0) {
        WaitTicks(pacing, wait);
    } else {
        shellPlatform.sleep(1);
    }
}

namespace {

void TakeFocus(HWND window)
{
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(window);
}

// Handles every queued message; false once WM_QUIT has been taken.
bool DrainMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

}  // namespace

int ShowBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
    // The display counter goes up and down by one, so a pointer hidden for the show is hidden again.
    ShowCursor(TRUE);
    const int answer = shellPlatform.messageBox(intro.shell.mainWindow, text, caption, type);
    ShowCursor(FALSE);
    return answer;
}

void ShowFailureBox(const FailureReport& report)
{
    ShowBox(report.text.c_str(), L"Error", MB_ICONERROR);
}

void ShutdownRoutine()
{
    // The voices read the decoded track until they are gone, so the music goes first.
    StopMusic();
    ReleaseRenderer();
    shellPlatform.setExecutionState(ES_CONTINUOUS);
}

void RunMainLoop()
{
    // With the default 15.6 ms system timer, Sleep(1) would cap the loop near 64 frames a second.
    shellPlatform.beginTimerPeriod(1);
    LoopPacing pacing;
    pacing.timer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    int64_t passStart = ReadCounter();
    while (DrainMessages()) {
        const float t = ReadLoopTime();
        RecoverLostMusic();
        if (IsIconic(intro.shell.mainWindow) || intro.renderer.occluded) {
            AdvanceUnseenFrame(t);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kUnseenWaitMilliseconds, QS_ALLINPUT);
            ProbeOcclusion();
        } else {
            RenderFrame(t);
            PaceDrawnPass(pacing, passStart);
        }
        passStart = ReadCounter();
    }
    if (pacing.timer) CloseHandle(pacing.timer);
    shellPlatform.endTimerPeriod(1);
}

int RunIntro(HINSTANCE instance)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    intro.shell.clockFrequency = frequency.QuadPart;

    const ATOM windowClass = RegisterIntroWindowClass(instance);
    if (windowClass == 0) {
        ReportFailure(L"RegisterClassExW", Win32ErrorCode(GetLastError()));
        return 0;
    }
    intro.shell.mainWindow = CreateIntroWindow(instance, windowClass);
    if (intro.shell.mainWindow == nullptr) {
        ReportFailure(L"CreateWindowExW", Win32ErrorCode(GetLastError()));
        UnregisterClassW(MAKEINTATOM(windowClass), instance);
        return 0;
    }

    // Borderless before it is first seen: a framed window would stand with its caption (white on
    // the light theme) over the black client while the renderer starts.
    ToggleFullscreen(intro.shell.mainWindow);
    ShowCursor(FALSE);
    TakeFocus(intro.shell.mainWindow);

    RECT client = {};
    GetClientRect(intro.shell.mainWindow, &client);
    intro.shell.clientWidth = client.right - client.left;
    intro.shell.clientHeight = client.bottom - client.top;

    // The end card's compile, the longest, runs beside the start-up: nothing needs it before Escape.
    if (!InitRenderer(EmbeddedShaderText(), EndCardStart::InBackground)) {
        ShutdownRoutine();
        DestroyWindow(intro.shell.mainWindow);
        UnregisterClassW(MAKEINTATOM(windowClass), instance);
        return 0;
    }

    if (!StartMusic(instance)) {
        ShowBox(L"Kunne ikke starte innebygd MP3 (IDR_RCDATA1).", L"Lyd", MB_ICONWARNING);
    }

    // A long show must not let the display sleep; cleared again at shutdown.
    shellPlatform.setExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);

    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    intro.shell.loopStartCounter = counter.QuadPart;

    RunMainLoop();
    ShutdownRoutine();
    return 0;
}
