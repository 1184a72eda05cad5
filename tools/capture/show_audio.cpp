#include "tools/capture/show_audio.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/shell_rules.h"
#include "audio/music_rules.h"
#include "audio/track_decoder.h"
#include "render/frame_rules.h"
#include "resources/resource_ids.h"

std::vector<int16_t> MixShowSound(const std::vector<uint8_t>& track, int64_t soundFrames, int sampleRate,
                                  float escapeAt)
{
    // The voice loops whole stereo frames of four bytes; a ragged tail is never played.
    const int64_t trackFrames = static_cast<int64_t>(track.size() / 4);
    std::vector<int16_t> samples(static_cast<size_t>(soundFrames) * 2, 0);
    if (trackFrames == 0) return samples;
    for (int64_t n = 0; n < soundFrames; ++n) {
        // Before Escape the time since it is negative and the volume full.
        const float volume = MusicFadeVolume(ExitSeconds(LoopTime(n, sampleRate, 0), escapeAt));
        if (volume == 0.0f) continue;
        const uint8_t* frame = &track[static_cast<size_t>(n % trackFrames) * 4];
        for (int channel = 0; channel < 2; ++channel) {
            int16_t sample = 0;
            std::memcpy(&sample, frame + channel * 2, 2);
            samples[static_cast<size_t>(n) * 2 + channel] =
                static_cast<int16_t>(std::lrint(static_cast<float>(sample) * volume));
        }
    }
    return samples;
}

bool DecodeEmbeddedTrack(std::vector<uint8_t>* track, std::string* error)
{
    Mp3Framing framing;
    if (!DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, *track, &framing)) {
        *error = "the embedded music could not be decoded";
        return false;
    }
    // The voice begins playing where its loop begins and repeats the loop, so the loop region
    // looped from its start is what the intro plays.
    const uint16_t frameBytes = MusicPcmFormat().blockAlign;
    const LoopBufferFields loop = MusicLoopBuffer(track->size(), frameBytes, framing);
    const auto first = track->begin() + static_cast<std::ptrdiff_t>(loop.loopBegin) * frameBytes;
    const auto last = first + static_cast<std::ptrdiff_t>(loop.loopLength) * frameBytes;
    *track = std::vector<uint8_t>(first, last);
    return true;
}

namespace {

void PutLittleEndian(uint8_t* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate, std::string* error)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    uint8_t header[44] = {};
    std::memcpy(header, "RIFF", 4);
    PutLittleEndian(header + 4, 36 + dataBytes, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLittleEndian(header + 16, 16, 4);
    PutLittleEndian(header + 20, 1, 2);  // integer PCM
    PutLittleEndian(header + 22, 2, 2);
    PutLittleEndian(header + 24, static_cast<uint32_t>(sampleRate), 4);
    PutLittleEndian(header + 28, static_cast<uint32_t>(sampleRate) * 4, 4);
    PutLittleEndian(header + 32, 4, 2);
    PutLittleEndian(header + 34, 16, 2);
    std::memcpy(header + 36, "data", 4);
    PutLittleEndian(header + 40, dataBytes, 4);

    const std::string partPath = path + ".part";
    std::FILE* file = std::fopen(partPath.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + partPath;
        return false;
    }
    bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                   std::fwrite(samples.data(), 2, samples.size(), file) == samples.size();
    written = std::fclose(file) == 0 && written;
    if (!written || !MoveFileExA(partPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(partPath.c_str());
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
