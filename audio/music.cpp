#include "audio/music.h"

#include <mfapi.h>

#include "audio/music_player.h"
#include "audio/track_decoder.h"
#include "core/intro_state.h"
#include "resources/resource_ids.h"

namespace {

HRESULT WINAPI SystemStartup(ULONG version, DWORD flags) { return MFStartup(version, flags); }
HRESULT WINAPI SystemShutdown() { return MFShutdown(); }
HRESULT WINAPI SystemCreateReader(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader)
{
    return MFCreateSourceReaderFromByteStream(byteStream, attributes, reader);
}

}  // namespace

MusicPlatform SystemMusicPlatform()
{
    return MusicPlatform{SystemStartup, SystemShutdown, SystemCreateReader, L"xaudio2_9.dll"};
}

MusicPlatform musicPlatform = SystemMusicPlatform();

bool StartMusic(HINSTANCE instance)
{
    if (!DecodeTrackResource(instance, IDR_RCDATA1, intro.music.pcmBytes)) {
        return false;
    }
    return StartPlayback(intro.music);
}

void UpdateMusicFade(float exitT)
{
    FadeMusicPlayer(intro.music, exitT);
}

void StopMusic()
{
    StopMusicPlayer(intro.music);
}
