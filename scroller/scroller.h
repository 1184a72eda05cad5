#pragma once

// Builds the scroller mask once, at start-up, on the renderer's device.
void BuildScrollerMask();

// Moves the scroller for loop time t; called by every frame before Escape.
void UpdateScroller(float t);
