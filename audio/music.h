#pragma once

#include <windows.h>

// Decodes the embedded MP3 and starts its endless loop; false when the show must run silently.
bool StartMusic(HINSTANCE instance);

// Sets the volume for the time since Escape.
void UpdateMusicFade(float exitT);

// Stops and releases the voices and the engine, then empties the decoded track.
void StopMusic();
