#include "audio/music_format.h"

PcmFormatFields MusicPcmFormat()
{
    PcmFormatFields format;
    format.formatTag = kPcmFormatTag;
    format.channels = 2;
    format.samplesPerSecond = 44100;
    format.bitsPerSample = 16;
    format.blockAlign = 4;
    format.averageBytesPerSecond = 176400;
    return format;
}

bool IsMusicPcmFormat(const PcmFormatFields& format)
{
    const PcmFormatFields music = MusicPcmFormat();
    return format.formatTag == music.formatTag && format.channels == music.channels &&
           format.samplesPerSecond == music.samplesPerSecond &&
           format.averageBytesPerSecond == music.averageBytesPerSecond &&
           format.blockAlign == music.blockAlign && format.bitsPerSample == music.bitsPerSample;
}
