#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "audio/music_rules.h"

// Decodes the RCDATA resource resourceId of instance into pcm as 16-bit stereo 44,100 Hz frames,
// and reads the MP3's framing into framing when one is given. False when the resource is missing
// or empty, or the bytes cannot be decoded to exactly that format. Media Foundation runs only
// inside the call, through the music platform's entries.
bool DecodeTrackResource(HINSTANCE instance, WORD resourceId, std::vector<uint8_t>& pcm,
                         Mp3Framing* framing = nullptr);

// The same for bytes already in memory; pcm is emptied before the first read.
bool DecodeTrackBytes(const void* bytes, DWORD size, std::vector<uint8_t>& pcm);
