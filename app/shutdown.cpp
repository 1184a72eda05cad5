#include "app/shutdown.h"

#include "audio/music.h"
#include "render/renderer.h"

void ShutdownRoutine()
{
    // The voices read the decoded track until they are gone, so the music goes first.
    StopMusic();
    ReleaseRenderer();
}
