#include "audio/music_teardown.h"

void TearDownMusic(MusicTeardown& player)
{
    if (player.HasSourceVoice()) {
        player.StopSourceVoice();
        player.FlushSourceBuffers();
        player.DestroySourceVoice();
    }
    if (player.HasMasteringVoice()) {
        player.DestroyMasteringVoice();
    }
    if (player.HasEngine()) {
        player.ReleaseEngine();
    }
    player.EmptyTrack();
}
