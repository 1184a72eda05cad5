#include "app/window.h"

#include "app/intro_main.h"
#include "app/shell_rules.h"
#include "core/intro_state.h"
#include "render/renderer.h"

static_assert(kFullscreenStyle == WS_POPUP, "borderless full screen is a popup");
static_assert(kFullscreenExStyle == WS_EX_APPWINDOW, "and keeps its taskbar button");

namespace {

const wchar_t kWindowClassName[] = L"HTN_D3D11_IntroWnd";
const wchar_t kWindowTitle[] = L"HTN D3D11 Intro";

void TakeFocus()
{
    SetForegroundWindow(intro.shell.mainWindow);
    SetActiveWindow(intro.shell.mainWindow);
    SetFocus(intro.shell.mainWindow);
}

// The whole area (not the work area) of the monitor the window is on, or of the nearest one; a
// zero rectangle when it cannot be read.
RECT MonitorRectOf(HWND window)
{
    MONITORINFO monitorInfo = {};
    monitorInfo.cbSize = sizeof(monitorInfo);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitorInfo);
    return monitorInfo.rcMonitor;
}

// A new scale for the window (its monitor's changed, or it moved to a monitor of another): the
// framed window takes the rectangle Windows suggests, full screen covers its monitor again. The
// size message that follows has the renderer take the new client size, pixel for pixel.
void FollowDpiChange(HWND window, const RECT& suggested)
{
    RECT target = suggested;
    if (intro.shell.fullscreen.fullscreenActive) {
        target = MonitorRectOf(window);
        // An unreadable monitor leaves the window where Windows put it.
        if (IsRectEmpty(&target)) {
            return;
        }
    }
    SetWindowPos(window, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ATOM RegisterIntroWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The show opens on black: a white class brush would flash until the first frame.
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExW(&windowClass);
}

HWND CreateIntroWindow(HINSTANCE instance, ATOM windowClass)
{
    // Maximised while still hidden, so that start-up can make it borderless before it is first seen
    // (no caption, white on the light theme, over the black client) and F11 still finds the
    // maximised framed window to go back to.
    return shellPlatform.createWindow(0, MAKEINTATOM(windowClass), kWindowTitle, WS_OVERLAPPEDWINDOW | WS_MAXIMIZE,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                      instance, nullptr);
}

void ToggleFullscreen(HWND window)
{
    const uint32_t style = static_cast<uint32_t>(GetWindowLongPtrW(window, GWL_STYLE));
    const uint32_t exStyle = static_cast<uint32_t>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);

    // A failed monitor query leaves a zero rectangle; the window then gets zero size.
    const RECT monitor = intro.shell.fullscreen.fullscreenActive ? RECT{} : MonitorRectOf(window);

    const FullscreenPlacement placement = ToggleFullscreenPlacement(
        intro.shell.fullscreen, style, exStyle,
        WindowRect{windowRect.left, windowRect.top, windowRect.right, windowRect.bottom},
        WindowRect{monitor.left, monitor.top, monitor.right, monitor.bottom});

    SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(placement.style));
    SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(placement.exStyle));
    SetWindowPos(window, nullptr, placement.x, placement.y, placement.width, placement.height,
                 SWP_NOOWNERZORDER | SWP_SHOWWINDOW | SWP_FRAMECHANGED);

    ResizeRenderer(window);
}

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
    case WM_DPICHANGED:
        FollowDpiChange(window, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            TakeFocus();
        }
        return 0;
    case WM_KEYDOWN:
        // A held key repeats; only its first press counts.
        if (IsKeyRepeat(static_cast<uint32_t>(lParam))) {
            return 0;
        }
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
