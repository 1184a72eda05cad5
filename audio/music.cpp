#include "audio/music.h"

#include "app/intro_state.h"
#include "audio/music_player.h"

bool StartMusic(HINSTANCE instance)
{
    return StartMusicPlayer(intro.music, instance, SystemMusicSources());
}

void UpdateMusicFade(float exitT)
{
    FadeMusicPlayer(intro.music, exitT);
}

void StopMusic()
{
    StopMusicPlayer(intro.music);
}
