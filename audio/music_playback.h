#pragma once

#include "audio/music_state.h"

// Plays music.pcmBytes as one endlessly looping buffer at music.musicVolume. True when the voice
// has started; on failure whatever was made stays in music for the teardown.
bool StartPlayback(MusicState& music, const wchar_t* libraryName);
