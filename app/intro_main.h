#pragma once

#include <windows.h>

// The whole show, from class registration to shutdown; returns the process exit code (always 0).
int RunIntro(HINSTANCE instance);

// Drains messages and renders frames until WM_QUIT.
void RunMainLoop();

// Stops the music, then releases the renderer's and the scroller's objects in their fixed order.
// Safe with any subset made: every step checks its object and clears its field.
void ShutdownRoutine();
