#include "app/loop_clock.h"

float LoopTime(int64_t counter, int64_t frequency, int64_t loopStartCounter)
{
    return static_cast<float>(static_cast<double>(counter - loopStartCounter) / static_cast<double>(frequency));
}
