#pragma once

#include <windows.h>

// The window's platform entries that tests watch or refuse. DWM's attribute call is found in
// dwmapi.dll at run time, so the executable imports nothing more and still runs where it is missing.
struct WindowPlatform {
    HRESULT(WINAPI* setWindowAttribute)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
};

extern WindowPlatform windowPlatform;

// The real entries, for restoring after a test.
WindowPlatform SystemWindowPlatform();

// Registers "HTN_D3D11_IntroWnd"; returns the class atom, 0 on failure (GetLastError tells why).
ATOM RegisterIntroWindowClass(HINSTANCE instance);

// Creates the intro's overlapped window of a registered class, hidden and with a dark caption where
// Windows offers one; null on failure.
HWND CreateIntroWindow(HINSTANCE instance, ATOM windowClass);

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Enters borderless full screen on the window's monitor, or goes back to the saved window; then resizes.
void ToggleFullscreen(HWND window);

// Escape: stamps the end card's start on the loop clock, once.
void BeginExitSequence();

// Seconds since the loop began, on the shell's clock.
float ReadLoopTime();
