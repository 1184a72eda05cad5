#pragma once

#include <windows.h>

#include "scroller/scroller_rules.h"

// The GDI calls of BuildScrollerMask that can fail, held as pointers so that tests can make them
// fail; the mask's texture and view come from the renderer's device, which tests wrap.
struct ScrollerPlatform {
    decltype(&CreateCompatibleDC) createCompatibleDC;
    decltype(&CreateDIBSection) createDIBSection;
};

extern ScrollerPlatform scrollerPlatform;

// The real calls, for restoring after a test.
ScrollerPlatform SystemScrollerPlatform();

// Builds the scroller's text, stop points and mask once, at start-up, on the renderer's device.
void BuildScrollerMask();

// Releases the mask's view and texture, clearing both fields.
void ReleaseScrollerMask();

// What the scroller's motion runs over: the offscreen width and the laid-out text.
ScrollCourse ScrollerCourse();

// Moves the scroller for loop time t; called by every frame before Escape.
void UpdateScroller(float t);
