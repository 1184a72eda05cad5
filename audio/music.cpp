#include "audio/music.h"

#include "audio/music_player.h"
#include "audio/track_decoder.h"
#include "core/failure_text.h"
#include "core/intro_state.h"
#include "resources/resource_ids.h"

namespace {

template <typename Entry>
Entry FindEntry(const wchar_t* library, const char* name)
{
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module == nullptr ? nullptr : FindLibraryEntry<Entry>(module, name);
}

// Each entry is looked up on first use; a missing library or entry fails the call.
const HRESULT kMissingEntry = static_cast<HRESULT>(Win32ErrorCode(ERROR_PROC_NOT_FOUND));

HRESULT WINAPI SystemStartup(ULONG version, DWORD flags)
{
    static const auto entry = FindEntry<HRESULT(WINAPI*)(ULONG, DWORD)>(L"mfplat.dll", "MFStartup");
    return entry ? entry(version, flags) : kMissingEntry;
}

HRESULT WINAPI SystemShutdown()
{
    static const auto entry = FindEntry<HRESULT(WINAPI*)()>(L"mfplat.dll", "MFShutdown");
    return entry ? entry() : kMissingEntry;
}

HRESULT WINAPI SystemCreateByteStream(IStream* stream, IMFByteStream** byteStream)
{
    static const auto entry =
        FindEntry<HRESULT(WINAPI*)(IStream*, IMFByteStream**)>(L"mfplat.dll", "MFCreateMFByteStreamOnStream");
    return entry ? entry(stream, byteStream) : kMissingEntry;
}

HRESULT WINAPI SystemCreateReader(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader)
{
    static const auto entry = FindEntry<HRESULT(WINAPI*)(IMFByteStream*, IMFAttributes*, IMFSourceReader**)>(
        L"mfreadwrite.dll", "MFCreateSourceReaderFromByteStream");
    return entry ? entry(byteStream, attributes, reader) : kMissingEntry;
}

HRESULT WINAPI SystemCreateMediaType(IMFMediaType** type)
{
    static const auto entry = FindEntry<HRESULT(WINAPI*)(IMFMediaType**)>(L"mfplat.dll", "MFCreateMediaType");
    return entry ? entry(type) : kMissingEntry;
}

}  // namespace

MusicPlatform SystemMusicPlatform()
{
    return MusicPlatform{SystemStartup,      SystemShutdown,        SystemCreateByteStream,
                         SystemCreateReader, SystemCreateMediaType, L"xaudio2_9.dll"};
}

MusicPlatform musicPlatform = SystemMusicPlatform();

namespace {

// Read from the embedded MP3 with its decoding; a restart on a new output loops the same region.
Mp3Framing trackFraming;

}  // namespace

bool StartMusic(HINSTANCE instance)
{
    if (!DecodeTrackResource(instance, IDR_RCDATA1, intro.music.pcmBytes, &trackFraming)) {
        return false;
    }
    return StartPlayback(intro.music, trackFraming);
}

void UpdateMusicFade(float exitT)
{
    FadeMusicPlayer(intro.music, exitT);
}

void RecoverLostMusic()
{
    RestartMusicPlayerIfLost(intro.music, trackFraming);
}

void PauseMusic(bool paused)
{
    PauseMusicPlayer(intro.music, paused);
}

void MuteMusic(bool muted)
{
    MuteMusicPlayer(intro.music, muted);
}

void SeekMusic(double t)
{
    const double frames = t > 0.0 ? t * MusicPcmFormat().samplesPerSecond : 0.0;
    SeekMusicPlayer(intro.music, static_cast<uint64_t>(frames + 0.5), trackFraming);
}

void StopMusic()
{
    StopMusicPlayer(intro.music);
}
