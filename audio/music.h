#pragma once

#include <windows.h>
#include <mfidl.h>
#include <mfreadwrite.h>

// Where the music comes from: Media Foundation's start, stop and reader creation, and the XAudio2
// library. Tests replace entries to count or refuse them, or to stand a scripted reader in front
// of the real one.
struct MusicPlatform {
    HRESULT(WINAPI* startup)(ULONG version, DWORD flags);
    HRESULT(WINAPI* shutdown)();
    HRESULT(WINAPI* createReader)(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader);
    const wchar_t* audioLibrary;  // loaded from the system directory only
};

extern MusicPlatform musicPlatform;

// The real entries, for restoring after a test.
MusicPlatform SystemMusicPlatform();

// Decodes the embedded MP3 and starts its endless loop; false when the show must run silently.
bool StartMusic(HINSTANCE instance);

// Sets the volume for the time since Escape.
void UpdateMusicFade(float exitT);

// Stops and releases the voices and the engine, then empties the decoded track.
void StopMusic();
