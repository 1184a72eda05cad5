#pragma once

#include <windows.h>
#include <xaudio2.h>

#include <cstdint>
#include <vector>

// XAudio2 2.9's creation entries, looked up at run time so that a missing library only costs the sound.
using XAudio2CreateWithVersionInfoEntry = HRESULT(WINAPI*)(IXAudio2**, UINT32, UINT32, DWORD);
using XAudio2CreateEntry = HRESULT(WINAPI*)(IXAudio2**, UINT32, UINT32);

// The music player's engine, voices and decoded track. Voices and engine are one reference each,
// null until made; the library and its entries stay for the whole process once found.
struct MusicState {
    IXAudio2* audioEngine = nullptr;
    IXAudio2MasteringVoice* masteringVoice = nullptr;
    IXAudio2SourceVoice* sourceVoice = nullptr;
    WAVEFORMATEX pcmFormat{};
    float musicVolume = 1.0f;
    // Interleaved 16-bit stereo frames at 44,100 Hz; the source voice reads them in place.
    std::vector<uint8_t> pcmBytes;

    HMODULE xaudioLibrary = nullptr;
    XAudio2CreateWithVersionInfoEntry createWithVersionInfo = nullptr;
    XAudio2CreateEntry create = nullptr;
};
