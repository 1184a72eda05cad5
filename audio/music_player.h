#pragma once

#include <windows.h>

#include "audio/music_state.h"
#include "audio/track_decoder.h"

// Where the player finds its track and its engine; the intro always uses SystemMusicSources().
struct MusicSources {
    WORD trackResource;
    MediaFoundationCalls mediaFoundation;
    const wchar_t* audioLibrary;
};

MusicSources SystemMusicSources();

// The three operations of music.h over a given state, so that tests need not touch the intro's own.
bool StartMusicPlayer(MusicState& music, HINSTANCE instance, const MusicSources& sources);
void FadeMusicPlayer(MusicState& music, float exitT);
void StopMusicPlayer(MusicState& music);
