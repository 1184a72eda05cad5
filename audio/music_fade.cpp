#include "audio/music_fade.h"

float MusicFadeVolume(float exitT)
{
    // Written so that NaN fails the test and lands on silence.
    if (!(exitT < 1.0f)) {
        return 0.0f;
    }
    // A clock read before Escape must not push the volume above full.
    if (exitT < 0.0f) {
        return 1.0f;
    }
    return 1.0f - exitT;
}
