#include "app/exit_sequence.h"

bool StartExitSequence(ExitState& state, float now)
{
    if (state.exitActive) {
        return false;
    }
    state.exitActive = true;
    state.exitStartTime = now;
    return true;
}
