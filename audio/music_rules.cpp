#include "audio/music_rules.h"

float MusicFadeVolume(float exitT)
{
    // Written so that NaN fails the test and lands on silence.
    if (!(exitT < 1.0f)) {
        return 0.0f;
    }
    // A clock read before Escape must not push the volume above full.
    if (exitT < 0.0f) {
        return 1.0f;
    }
    return 1.0f - exitT;
}

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

LoopBufferFields MusicLoopBuffer(std::size_t trackBytes, uint16_t blockAlign)
{
    LoopBufferFields buffer;
    buffer.audioBytes = static_cast<uint32_t>(trackBytes);
    buffer.loopLength = blockAlign == 0 ? 0 : static_cast<uint32_t>(trackBytes / blockAlign);
    buffer.loopCount = kLoopForever;
    return buffer;
}

std::size_t DecodeReadLimit(std::size_t trackBytes) { return trackBytes + 64; }

std::vector<TeardownStep> PlanMusicTeardown(bool hasSourceVoice, bool hasMasteringVoice, bool hasEngine,
                                            bool keepTrack)
{
    std::vector<TeardownStep> steps;
    if (hasSourceVoice) {
        steps.push_back(TeardownStep::StopSource);
        steps.push_back(TeardownStep::FlushSource);
        steps.push_back(TeardownStep::DestroySource);
    }
    if (hasMasteringVoice) steps.push_back(TeardownStep::DestroyMastering);
    if (hasEngine) steps.push_back(TeardownStep::ReleaseEngine);
    if (!keepTrack) steps.push_back(TeardownStep::EmptyTrack);
    return steps;
}
