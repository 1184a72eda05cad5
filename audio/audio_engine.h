#pragma once

#include "audio/music_state.h"

// The XAudio2 library every start uses; only the system directory is searched for it.
constexpr const wchar_t* kXAudio2Library = L"xaudio2_9.dll";

// Creates music.audioEngine, loading libraryName and finding its creation entry on first use.
// Returns the failing code (a Win32 error as an HRESULT when the library or its entry is missing).
HRESULT CreateAudioEngine(MusicState& music, const wchar_t* libraryName);
