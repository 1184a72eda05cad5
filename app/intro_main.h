#pragma once

#include <windows.h>

// The whole show, from class registration to shutdown; returns the process exit code (always 0).
int RunIntro(HINSTANCE instance);

// Drains messages and renders frames until WM_QUIT.
void RunMainLoop();
