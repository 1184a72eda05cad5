#pragma once

#include "audio/music_rules.h"
#include "core/intro_state.h"

// An entry of a library loaded at run time, null when the library lacks it.
template <typename Entry>
Entry FindLibraryEntry(HMODULE library, const char* name)
{
    // Through a generic function type, which the compiler accepts as a deliberate reinterpretation.
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Creates music.audioEngine, loading the platform's XAudio2 library and finding its creation entry
// on first use. Returns the failing code (a Win32 error as an HRESULT when the library or its
// entry is missing).
HRESULT CreateAudioEngine(MusicState& music);

// Plays music.pcmBytes as one endlessly looping buffer at music.musicVolume; with the MP3's framing
// only its music loops, whatever the decoder kept around it. True when the voice has started; on
// failure whatever was made stays in music for the teardown.
bool StartPlayback(MusicState& music, const Mp3Framing& framing = {});

// Sets music.musicVolume for the time since Escape, and the voice's volume when there is one.
void FadeMusicPlayer(MusicState& music, float exitT);

// The timeline's controls: the voice stopped where it is or going on from there; silent whatever
// the fade says, or at the fade's volume; started again at frameOffset frames into the loop.
void PauseMusicPlayer(MusicState& music, bool paused);
void MuteMusicPlayer(MusicState& music, bool muted);
void SeekMusicPlayer(MusicState& music, uint64_t frameOffset, const Mp3Framing& framing = {});

// Silences and dismantles whatever of the player exists, then empties the decoded track.
void StopMusicPlayer(MusicState& music);

// After the engine reported a critical error (the output device went away), dismantles the player
// and starts it again from the decoded track on the new default output; stays quiet when that
// fails. True when there was an error to answer.
bool RestartMusicPlayerIfLost(MusicState& music, const Mp3Framing& framing = {});
