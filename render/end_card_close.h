#pragma once

// The end card closes the window ten seconds after Escape.
constexpr float kEndCardSeconds = 10.0f;

// True for the one end-card frame that must destroy the window: the first with exitT of ten
// seconds or more, as long as the window has not been destroyed already.
bool ShouldCloseWindow(bool windowDestroyed, float exitT);
