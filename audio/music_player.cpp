#include "audio/music_player.h"

#include "audio/audio_engine.h"
#include "audio/music_fade.h"
#include "audio/music_playback.h"
#include "audio/voice_teardown.h"
#include "resources/resource_ids.h"

MusicSources SystemMusicSources()
{
    return MusicSources{IDR_RCDATA1, SystemMediaFoundationCalls(), kXAudio2Library};
}

bool StartMusicPlayer(MusicState& music, HINSTANCE instance, const MusicSources& sources)
{
    if (!DecodeTrackResource(instance, sources.trackResource, music.pcmBytes, sources.mediaFoundation)) {
        return false;
    }
    return StartPlayback(music, sources.audioLibrary);
}

void FadeMusicPlayer(MusicState& music, float exitT)
{
    music.musicVolume = MusicFadeVolume(exitT);
    if (music.sourceVoice != nullptr) {
        music.sourceVoice->SetVolume(music.musicVolume, XAUDIO2_COMMIT_NOW);
    }
}

void StopMusicPlayer(MusicState& music)
{
    VoiceTeardown teardown(music);
    TearDownMusic(teardown);
}
