#pragma once

// The music's volume exitT seconds after Escape: a linear fall from 1 to silence over one second.
// Anything that is not a number, and every time from one second on, gives silence.
float MusicFadeVolume(float exitT);
