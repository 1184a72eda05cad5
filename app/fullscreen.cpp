#include "app/fullscreen_placement.h"
#include "app/intro_state.h"
#include "app/window.h"
#include "render/renderer.h"

void ToggleFullscreen(HWND window)
{
    const uint32_t style = static_cast<uint32_t>(GetWindowLongPtrW(window, GWL_STYLE));
    const uint32_t exStyle = static_cast<uint32_t>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);

    // A failed monitor query leaves a zero rectangle; the window then gets zero size.
    MONITORINFO monitorInfo = {};
    monitorInfo.cbSize = sizeof(monitorInfo);
    if (!intro.shell.fullscreen.fullscreenActive) {
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitorInfo);
    }
    const RECT& monitor = monitorInfo.rcMonitor;

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
