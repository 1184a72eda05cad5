#pragma once

#include <windows.h>
#include <mfidl.h>
#include <mfreadwrite.h>

// Where the music comes from: Media Foundation's entries, found at run time so that a Windows
// without Media Foundation (the N editions) only loses the sound, and the XAudio2 library. Tests
// replace entries to count or refuse them, or to stand a scripted reader in front of the real one.
struct MusicPlatform {
    HRESULT(WINAPI* startup)(ULONG version, DWORD flags);
    HRESULT(WINAPI* shutdown)();
    HRESULT(WINAPI* createByteStream)(IStream* stream, IMFByteStream** byteStream);
    HRESULT(WINAPI* createReader)(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader);
    HRESULT(WINAPI* createMediaType)(IMFMediaType** type);
    const wchar_t* audioLibrary;  // loaded from the system directory only
};

extern MusicPlatform musicPlatform;

// The real entries, for restoring after a test.
MusicPlatform SystemMusicPlatform();

// Decodes the embedded MP3 and starts its endless loop; false when the show must run silently.
bool StartMusic(HINSTANCE instance);

// Sets the volume for the time since Escape.
void UpdateMusicFade(float exitT);

// When the audio output went away, plays the decoded track again on the new default output, or
// stays quiet when there is none. Cheap when nothing happened; called once per loop.
void RecoverLostMusic();

// For a development build's timeline. Pausing stops the music where it is, resuming plays on from
// there; a muted voice stays silent through any fade; seeking plays on from the place of loop time
// t in the music's loop (still paused when paused).
void PauseMusic(bool paused);
void MuteMusic(bool muted);
void SeekMusic(double t);

// Stops and releases the voices and the engine, then empties the decoded track.
void StopMusic();
