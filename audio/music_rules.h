#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The music's platform-free rules: the fade, the PCM format, the looping buffer and the teardown order.

// The music's volume exitT seconds after Escape: a linear fall from 1 to silence over one second.
// Anything that is not a number, and every time from one second on, gives silence.
float MusicFadeVolume(float exitT);

// The one PCM layout of the decoded track and of the voice that plays it (WAVEFORMATEX's fields).
struct PcmFormatFields {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// WAVE_FORMAT_PCM.
constexpr uint16_t kPcmFormatTag = 1;

// 16-bit stereo at 44,100 Hz: 4 bytes a frame, 176,400 bytes a second.
PcmFormatFields MusicPcmFormat();

// True only for exactly the music format: bytes in any other layout would play as noise.
bool IsMusicPcmFormat(const PcmFormatFields& format);

// The values of the one buffer handed to the source voice (XAUDIO2_BUFFER's), apart from the data pointer.
struct LoopBufferFields {
    uint32_t flags = 0;
    uint32_t audioBytes = 0;
    uint32_t playBegin = 0;
    uint32_t playLength = 0;
    uint32_t loopBegin = 0;
    uint32_t loopLength = 0;
    uint32_t loopCount = 0;
};

// The engine's "loop forever" count, XAUDIO2_LOOP_INFINITE.
constexpr uint32_t kLoopForever = 255;

// How an MP3's music sits among its decoded samples, from the Xing or Info frame that opens it and
// the LAME tag inside that frame. Without both, known is false and nothing else is set.
struct Mp3Framing {
    bool known = false;
    uint32_t sampleRate = 0;     // of the MPEG frames
    uint32_t frameSamples = 0;   // per MPEG frame: 1152 for MPEG-1, 576 for MPEG-2 and 2.5
    uint32_t audioFrames = 0;    // the frames after the Info frame, as it counts them
    uint32_t encoderDelay = 0;   // samples the encoder put before the music
    uint32_t encoderPadding = 0; // samples it put after
};

// Reads the framing of the MP3 in bytes (an ID3v2 tag in front is skipped). Never reads outside
// the buffer; a missing, truncated or implausible header gives an unknown framing.
Mp3Framing ReadMp3Framing(const uint8_t* bytes, std::size_t size);

// The layer III decoder's own delay, in samples, that comes on top of the encoder's.
constexpr uint32_t kLayer3DecoderDelay = 529;

// The one buffer, played and looped without end so that exactly the music repeats; counted in
// whole frames of blockAlign bytes. Flags stay 0: the buffer never marks an end of stream.
// The decoded length tells what the decoder did, with the framing's numbers: only the music
// (trimmed) loops the whole buffer; every MPEG frame but the Info frame (untrimmed), or with the
// Info frame's silence as well, skips what comes before the music. Play and loop then begin
// together, and play runs to the buffer's end, since a zero play length requires play to begin at
// 0. Any other length, or an unknown framing, loops the whole buffer.
LoopBufferFields MusicLoopBuffer(std::size_t trackBytes, uint16_t blockAlign, const Mp3Framing& framing = {});

// The same buffer started frameOffset frames into its loop (taken modulo the loop's length): play
// begins there and runs to the buffer's end, and the loop repeats as before, so the music goes on
// from that place without end. An offset of a whole number of loops gives the buffer unchanged.
LoopBufferFields SeekLoopBuffer(const LoopBufferFields& loop, uint16_t blockAlign, uint64_t frameOffset);

// How many reads the decoder may make for a track of trackBytes MP3 bytes: every read that
// delivers audio consumes at least one byte, and a few more carry only the end or a notice.
// A reader that keeps answering with nothing cannot hold up the start-up beyond that.
std::size_t DecodeReadLimit(std::size_t trackBytes);

// One step of dismantling the player.
enum class TeardownStep { StopSource, FlushSource, DestroySource, DestroyMastering, ReleaseEngine, EmptyTrack };

// The steps for what exists: the source voice silenced and destroyed before the mastering voice it
// feeds, both before the engine, and the track emptied last, once no voice can read it. A restart
// on a new output keeps the track.
std::vector<TeardownStep> PlanMusicTeardown(bool hasSourceVoice, bool hasMasteringVoice, bool hasEngine,
                                            bool keepTrack = false);
