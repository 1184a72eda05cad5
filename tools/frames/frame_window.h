#pragma once

#include <windows.h>

// A shown popup window with a client area of width x height, made the intro's main window with
// that client size, for drawing through the product's renderer. Null when it cannot be made.
HWND OpenFrameWindow(int width, int height);
