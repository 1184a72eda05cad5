#include "tools/frames/frame_window.h"

#include "core/intro_state.h"

namespace {

const wchar_t kClassName[] = L"HTN_FramesWnd";

bool RegisterFrameClass()
{
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExW(&windowClass) != 0;
    return registered;
}

}  // namespace

HWND OpenFrameWindow(int width, int height)
{
    if (!RegisterFrameClass()) return nullptr;
    HWND window = CreateWindowExW(0, kClassName, L"HTN frames", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // The swap chain takes its size from these fields, so the frames have the asked size even where
    // the desktop is smaller than the window.
    intro.shell.mainWindow = window;
    intro.shell.clientWidth = width;
    intro.shell.clientHeight = height;
    return window;
}
