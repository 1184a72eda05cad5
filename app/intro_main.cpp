#include "app/intro_main.h"

#include "app/window.h"
#include "audio/music.h"
#include "core/failure_report.h"
#include "core/failure_text.h"
#include "core/intro_state.h"
#include "render/renderer.h"

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

void ShutdownRoutine()
{
    // The voices read the decoded track until they are gone, so the music goes first.
    StopMusic();
    ReleaseRenderer();
}

void RunMainLoop()
{
    while (DrainMessages()) {
        RenderFrame(ReadLoopTime());
        Sleep(1);
    }
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
        return 0;
    }

    ShowWindow(intro.shell.mainWindow, SW_SHOWMAXIMIZED);
    ShowCursor(FALSE);
    TakeFocus(intro.shell.mainWindow);

    RECT client = {};
    GetClientRect(intro.shell.mainWindow, &client);
    intro.shell.clientWidth = client.right - client.left;
    intro.shell.clientHeight = client.bottom - client.top;

    if (!InitRenderer()) {
        ShutdownRoutine();
        return 0;
    }

    ToggleFullscreen(intro.shell.mainWindow);

    if (!StartMusic(instance)) {
        MessageBoxW(intro.shell.mainWindow, L"Kunne ikke starte innebygd MP3 (IDR_RCDATA1).", L"Lyd",
                    MB_ICONWARNING);
    }

    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    intro.shell.loopStartCounter = counter.QuadPart;

    RunMainLoop();
    ShutdownRoutine();
    return 0;
}
