#pragma once

#include <windows.h>

// Registers "HTN_D3D11_IntroWnd"; returns the class atom, 0 on failure (GetLastError tells why).
ATOM RegisterIntroWindowClass(HINSTANCE instance);

// Creates the intro's overlapped window of a registered class, maximised and hidden; null on failure.
HWND CreateIntroWindow(HINSTANCE instance, ATOM windowClass);

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Enters borderless full screen on the window's monitor, or goes back to the saved window; then resizes.
void ToggleFullscreen(HWND window);

// Escape: stamps the end card's start on the loop clock, once.
void BeginExitSequence();

// Seconds since the loop began, on the shell's clock.
float ReadLoopTime();
