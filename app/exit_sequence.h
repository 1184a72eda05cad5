#pragma once

// The Escape bookkeeping: the end card's clock starts at the first press only.
struct ExitState {
    bool exitActive = false;
    float exitStartTime = 0.0f;
};

// Starts the exit sequence at loop time now; false (and no change) when it has already begun.
bool StartExitSequence(ExitState& state, float now);
