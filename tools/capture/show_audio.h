#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sound a listener hears from the intro, sample frame by sample frame: the decoded track
// (16-bit stereo) looped from its first frame at loop time 0, at the music's volume for the time
// since an Escape at escapeAt. soundFrames stereo frames at sampleRate.
std::vector<int16_t> MixShowSound(const std::vector<uint8_t>& track, int64_t soundFrames, int sampleRate,
                                  float escapeAt);

// Decodes the executable's embedded track with the intro's decoder and keeps the part that the
// intro's voice loops; false, with the reason in error, when it cannot.
bool DecodeEmbeddedTrack(std::vector<uint8_t>* track, std::string* error);

// Writes samples as a 16-bit stereo WAV file, first under a temporary name and then renamed, so
// that the file appears only complete.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate, std::string* error);
