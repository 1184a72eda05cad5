#pragma once

#include <windows.h>

// Creates the device, swap chain, targets, samplers, shaders and constant buffer, then has the
// scroller mask built. False after the first failure, which has been reported.
bool InitRenderer();

// Replaces the offscreen target by one of the given size; none when a size is not positive.
void CreateOffscreenTarget(int width, int height);

// Follows the window's client size; true when the back-buffer view was rebuilt at the new size.
bool ResizeRenderer(HWND window);

// Draws one frame for loop time t into the back buffer without presenting it: the scroller step
// before Escape, the constants, and the passes of the normal or the end-card path.
void DrawFrame(float t);

// Draws and presents one frame for loop time t, and closes the window when the end card is over.
void RenderFrame(float t);

// Presents on the next vertical blank and writes the signature over the window.
void PresentWithSignature();

// Releases every renderer object and the scroller mask in one fixed order, clearing each field.
void ReleaseRenderer();
