#include "audio/music_rules.h"

#include <cstring>

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

namespace {

uint32_t BigEndian32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | at[3];
}

// Where the first MPEG frame begins: after an ID3v2 tag (its size is four 7-bit bytes, and a
// footer adds ten more), or at 0. size when the tag is malformed or overruns the buffer.
std::size_t FirstFrameOffset(const uint8_t* bytes, std::size_t size)
{
    if (size < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') return 0;
    uint32_t tagSize = 0;
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80) return size;
        tagSize = tagSize << 7 | bytes[i];
    }
    const std::size_t end = 10 + static_cast<std::size_t>(tagSize) + ((bytes[5] & 0x10) ? 10 : 0);
    return end < size ? end : size;
}

bool IsLameTagEncoder(const uint8_t* name)
{
    // LAME itself, and FFmpeg's encoders, which write the same tag.
    for (const char* known : {"LAME", "Lavc", "Lavf"}) {
        if (std::memcmp(name, known, 4) == 0) return true;
    }
    return false;
}

}  // namespace

Mp3Framing ReadMp3Framing(const uint8_t* bytes, std::size_t size)
{
    const Mp3Framing unknown;
    if (bytes == nullptr) return unknown;
    const std::size_t frame = FirstFrameOffset(bytes, size);
    if (size - frame < 4) return unknown;
    const uint8_t* header = bytes + frame;
    const int version = (header[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = (header[1] >> 1) & 3;    // 1 layer III
    const int bitrateIndex = header[2] >> 4;
    const int rateIndex = (header[2] >> 2) & 3;
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || bitrateIndex == 15 ||
        rateIndex == 3) {
        return unknown;
    }
    const bool mpeg1 = version == 3;
    const bool mono = (header[3] >> 6) == 3;
    // The Info frame's fields follow the header, its CRC when it has one, and the side information.
    const std::size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const std::size_t info = frame + 4 + ((header[1] & 1) ? 0 : 2) + sideInfo;
    if (info > size || size - info < 12) return unknown;
    const uint8_t* tag = bytes + info;
    if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0) return unknown;
    const uint32_t fields = BigEndian32(tag + 4);
    if ((fields & 1) == 0) return unknown;  // no frame count
    const uint32_t audioFrames = BigEndian32(tag + 8);
    // The byte count, the seek table and the quality, when present, come before the LAME tag.
    const std::size_t lame = info + 12 + ((fields & 2) ? 4 : 0) + ((fields & 4) ? 100 : 0) + ((fields & 8) ? 4 : 0);
    if (lame > size || size - lame < 24 || !IsLameTagEncoder(bytes + lame)) return unknown;
    const uint8_t* delays = bytes + lame + 21;  // two 12-bit numbers: delay, then padding

    Mp3Framing framing;
    framing.sampleRate = static_cast<uint32_t>((rateIndex == 0 ? 44100 : rateIndex == 1 ? 48000 : 32000) >>
                                               (mpeg1 ? 0 : version == 2 ? 1 : 2));
    framing.frameSamples = mpeg1 ? 1152 : 576;
    framing.audioFrames = audioFrames;
    framing.encoderDelay = static_cast<uint32_t>(delays[0] << 4 | delays[1] >> 4);
    framing.encoderPadding = static_cast<uint32_t>((delays[1] & 0x0F) << 8 | delays[2]);
    const uint64_t samples = static_cast<uint64_t>(audioFrames) * framing.frameSamples;
    framing.known = samples > static_cast<uint64_t>(framing.encoderDelay) + framing.encoderPadding;
    return framing.known ? framing : unknown;
}

LoopBufferFields MusicLoopBuffer(std::size_t trackBytes, uint16_t blockAlign, const Mp3Framing& framing)
{
    LoopBufferFields buffer;
    buffer.audioBytes = static_cast<uint32_t>(trackBytes);
    buffer.loopLength = blockAlign == 0 ? 0 : static_cast<uint32_t>(trackBytes / blockAlign);
    buffer.loopCount = kLoopForever;
    // The decoder resamples a track of another rate, and its lengths then follow no frame count.
    if (!framing.known || framing.sampleRate != MusicPcmFormat().samplesPerSecond) return buffer;

    const uint64_t decoded = buffer.loopLength;
    const uint64_t frameSamples = framing.frameSamples;
    const uint64_t allFrames = static_cast<uint64_t>(framing.audioFrames) * frameSamples;
    const uint64_t music = allFrames - framing.encoderDelay - framing.encoderPadding;
    const uint64_t lead = static_cast<uint64_t>(framing.encoderDelay) + kLayer3DecoderDelay;
    uint64_t begin = 0;
    if (decoded == allFrames) {
        begin = lead;
    } else if (decoded == allFrames + frameSamples) {
        begin = frameSamples + lead;
    } else {
        return buffer;  // trimmed, when decoded == music, or a shape of its own
    }
    // A padding shorter than the decoder's delay would leave the music's end outside the buffer.
    if (begin + music > decoded) return buffer;
    buffer.playBegin = static_cast<uint32_t>(begin);
    buffer.playLength = static_cast<uint32_t>(decoded - begin);
    buffer.loopBegin = static_cast<uint32_t>(begin);
    buffer.loopLength = static_cast<uint32_t>(music);
    return buffer;
}

LoopBufferFields SeekLoopBuffer(const LoopBufferFields& loop, uint16_t blockAlign, uint64_t frameOffset)
{
    if (loop.loopLength == 0 || blockAlign == 0) return loop;
    const uint32_t offset = static_cast<uint32_t>(frameOffset % loop.loopLength);
    if (offset == 0) return loop;
    LoopBufferFields seeked = loop;
    seeked.playBegin = loop.loopBegin + offset;
    seeked.playLength = loop.audioBytes / blockAlign - seeked.playBegin;
    return seeked;
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
