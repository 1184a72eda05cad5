#pragma once

#include <cstdint>

// Loop time in seconds: the ticks since the loop started, divided in double precision and rounded
// to a 32-bit float. Subtracting in ticks first keeps frame steps exact however long the machine
// has been up; absolute seconds in a float would step by 1/32 s after four days of uptime.
float LoopTime(int64_t counter, int64_t frequency, int64_t loopStartCounter);
