#include "app/intro_state.h"
#include "app/loop_clock.h"
#include "app/window.h"
#include "render/renderer.h"

namespace {

void TakeFocus()
{
    SetForegroundWindow(intro.shell.mainWindow);
    SetActiveWindow(intro.shell.mainWindow);
    SetFocus(intro.shell.mainWindow);
}

}  // namespace

float ReadLoopTime()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return LoopTime(counter.QuadPart, intro.shell.clockFrequency, intro.shell.loopStartCounter);
}

void BeginExitSequence()
{
    if (StartExitSequence(intro.shell.exit, ReadLoopTime())) {
        ShowCursor(TRUE);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        // Deliberately without default processing: the window keeps no title text.
        return 1;
    case WM_DESTROY:
        ShowCursor(TRUE);
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            ResizeRenderer(window);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            TakeFocus();
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            BeginExitSequence();
        } else if (wParam == VK_F11) {
            ToggleFullscreen(window);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
