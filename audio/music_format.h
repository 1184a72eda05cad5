#pragma once

#include <cstdint>

// The one PCM layout of the decoded track and of the voice that plays it.
struct PcmFormatFields {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

constexpr uint16_t kPcmFormatTag = 1;

// 16-bit stereo at 44,100 Hz: 4 bytes a frame, 176,400 bytes a second.
PcmFormatFields MusicPcmFormat();

// True only for exactly the music format: bytes in any other layout would play as noise.
bool IsMusicPcmFormat(const PcmFormatFields& format);
