#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "audio/music_rules.h"

namespace {

TEST(AudioFade, FallsLinearlyOverOneSecondThenStaysSilent)
{
    EXPECT_FLOAT_EQ(MusicFadeVolume(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(MusicFadeVolume(0.25f), 0.75f);
    EXPECT_FLOAT_EQ(MusicFadeVolume(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(MusicFadeVolume(1.0f), 0.0f);
    EXPECT_FLOAT_EQ(MusicFadeVolume(9.99f), 0.0f);
    EXPECT_FLOAT_EQ(MusicFadeVolume(std::numeric_limits<float>::infinity()), 0.0f);
}

TEST(AudioFade, NotANumberIsSilenceAndBeforeEscapeIsFullVolume)
{
    EXPECT_EQ(MusicFadeVolume(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(MusicFadeVolume(-std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(MusicFadeVolume(-0.5f), 1.0f);
    EXPECT_EQ(MusicFadeVolume(-std::numeric_limits<float>::infinity()), 1.0f);
}

TEST(AudioFade, NeverRisesAgainOverTheExitSequence)
{
    float previous = MusicFadeVolume(0.0f);
    // Frames at an uneven rate over the ten seconds of the end card.
    for (float exitT = 0.0f; exitT < 10.0f; exitT += 0.0137f) {
        const float volume = MusicFadeVolume(exitT);
        ASSERT_LE(volume, previous) << "at " << exitT;
        ASSERT_GE(volume, 0.0f);
        previous = volume;
    }
    EXPECT_EQ(previous, 0.0f);
}

TEST(AudioLoopBuffer, LoopsTheWholeTrackForeverInWholeFrames)
{
    const std::size_t trackBytes = 12192768;  // 69.12 s of 16-bit stereo at 44,100 Hz
    const LoopBufferFields buffer = MusicLoopBuffer(trackBytes, 4);
    EXPECT_EQ(buffer.flags, 0u);
    EXPECT_EQ(buffer.audioBytes, trackBytes);
    EXPECT_EQ(buffer.playBegin, 0u);
    EXPECT_EQ(buffer.playLength, 0u);
    EXPECT_EQ(buffer.loopBegin, 0u);
    EXPECT_EQ(buffer.loopLength, trackBytes / 4);
    EXPECT_EQ(buffer.loopCount, 255u);
}

TEST(AudioLoopBuffer, PartialFramesAndEmptyTracksGiveWholeFrameLoops)
{
    EXPECT_EQ(MusicLoopBuffer(10, 4).loopLength, 2u);
    EXPECT_EQ(MusicLoopBuffer(10, 4).audioBytes, 10u);
    const LoopBufferFields empty = MusicLoopBuffer(0, 4);
    EXPECT_EQ(empty.audioBytes, 0u);
    EXPECT_EQ(empty.loopLength, 0u);
    EXPECT_EQ(empty.loopCount, 255u);
    EXPECT_EQ(MusicLoopBuffer(16, 0).loopLength, 0u);
}

// The shipped track, byte for byte: an Info frame ("Xing", as LAME names it in a VBR file) that
// counts 2,647 audio frames, and a LAME tag with a delay of 576 and a padding of 576 samples.
std::vector<uint8_t> Soundtrack()
{
    std::ifstream file(HTN_SOUNDTRACK_MP3, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The first bytes of an Info frame, as an encoder writes them: header, side information (zero),
// "Xing" with the frame count, byte count, seek table and quality, then the LAME tag.
std::vector<uint8_t> InfoFrame(bool mpeg1, bool mono, bool crc, uint32_t frames, int delay, int padding,
                               const char* encoder = "LAME")
{
    std::vector<uint8_t> bytes = {0xFF, static_cast<uint8_t>((mpeg1 ? 0xFA : 0xF2) | (crc ? 0 : 1)), 0x90,
                                  static_cast<uint8_t>(mono ? 0xC4 : 0x44)};
    bytes.resize(4 + (crc ? 2 : 0) + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17)));
    for (const char c : {'X', 'i', 'n', 'g', '\0', '\0', '\0', '\17'}) bytes.push_back(static_cast<uint8_t>(c));
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(frames >> shift));
    bytes.resize(bytes.size() + 4 + 100 + 4);
    std::string name(encoder);
    name.resize(9);
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.resize(bytes.size() + 12);
    bytes.push_back(static_cast<uint8_t>(delay >> 4));
    bytes.push_back(static_cast<uint8_t>((delay & 15) << 4 | padding >> 8));
    bytes.push_back(static_cast<uint8_t>(padding));
    bytes.resize(bytes.size() + 12);
    return bytes;
}

Mp3Framing Framing(const std::vector<uint8_t>& bytes) { return ReadMp3Framing(bytes.data(), bytes.size()); }

TEST(AudioMp3Framing, ReadsTheShippedTracksInfoFrameAndLameTag)
{
    const std::vector<uint8_t> track = Soundtrack();
    ASSERT_EQ(track.size(), 1828137u);
    const Mp3Framing framing = Framing(track);
    EXPECT_TRUE(framing.known);
    EXPECT_EQ(framing.sampleRate, 44100u);
    EXPECT_EQ(framing.frameSamples, 1152u);
    EXPECT_EQ(framing.audioFrames, 2647u);
    EXPECT_EQ(framing.encoderDelay, 576u);
    EXPECT_EQ(framing.encoderPadding, 576u);
}

TEST(AudioMp3Framing, ReadsEveryFrameLayoutBehindAnId3Tag)
{
    const Mp3Framing stereo = Framing(InfoFrame(true, false, true, 7, 1000, 1700 - 1000));
    EXPECT_TRUE(stereo.known);
    EXPECT_EQ(stereo.audioFrames, 7u);
    EXPECT_EQ(stereo.encoderDelay, 1000u);
    EXPECT_EQ(stereo.encoderPadding, 700u);

    // A 300-byte ID3v2 tag (size 2 * 128 + 44 in 7-bit bytes) with a footer, before an MPEG-2 mono frame.
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0x10, 0, 0, 2, 44};
    tagged.resize(10 + 300 + 10, 0xFF);
    const std::vector<uint8_t> frame = InfoFrame(false, true, false, 40, 576, 1151, "Lavf58.7");
    tagged.insert(tagged.end(), frame.begin(), frame.end());
    const Mp3Framing lsf = Framing(tagged);
    EXPECT_TRUE(lsf.known);
    EXPECT_EQ(lsf.sampleRate, 22050u);
    EXPECT_EQ(lsf.frameSamples, 576u);
    EXPECT_EQ(lsf.audioFrames, 40u);
    EXPECT_EQ(lsf.encoderPadding, 1151u);
}

TEST(AudioMp3Framing, WithoutATagOrWithACorruptHeaderTheFramingIsUnknown)
{
    const std::vector<uint8_t> track = Soundtrack();
    std::vector<std::vector<uint8_t>> cases(9, std::vector<uint8_t>(track.begin(), track.begin() + 0x1A1));
    cases[0][0] = 0xFE;                   // no frame sync
    cases[1][1] = 0xEB;                   // the reserved MPEG version
    cases[2][1] = 0xFD;                   // layer II
    cases[3][2] = 0xF0;                   // bit-rate index 15
    cases[4][2] = 0x9C;                   // the reserved sampling rate
    std::memcpy(&cases[5][0x24], "Xinf", 4);
    cases[6][0x2B] = 0x0E;                // the fields leave out the frame count
    std::memset(&cases[7][0x9C], 0, 36);  // a Xing frame without a LAME tag
    cases[8][0x2E] = 0;                   // one frame: shorter than the delay and padding together
    cases[8][0x2F] = 1;
    cases.push_back({'I', 'D', '3', 3, 0, 0, 0, 0, 0x80, 0});  // a tag size that is no 7-bit number
    cases.push_back({'I', 'D', '3', 3, 0, 0, 0, 0, 2, 0});     // a tag that runs past the end
    cases.push_back(std::vector<uint8_t>(track.begin() + 0x1A1, track.begin() + 0x1A1 + 1024));  // audio, no Info frame
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_FALSE(Framing(cases[i]).known) << "case " << i;
    }
    EXPECT_FALSE(ReadMp3Framing(nullptr, 0).known);
}

// Every prefix of the Info frame ends at a page that may not be read: a read past the buffer crashes.
TEST(AudioMp3Framing, TruncatedHeadersAreReadOnlyWithinTheirBuffer)
{
    const std::vector<uint8_t> track = Soundtrack();
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    auto* pages = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    // The LAME tag's delay and padding end 0xB4 bytes into the file.
    for (std::size_t size = 0; size <= 0x1A1; ++size) {
        uint8_t* bytes = pages + page - size;
        std::memcpy(bytes, track.data(), size);
        EXPECT_EQ(ReadMp3Framing(bytes, size).known, size >= 0xB4) << size << " bytes";
    }
    munmap(pages, 2 * page);
}

// The regions of the shipped track, worked out by hand: 2,647 frames of 1,152 samples are
// 3,049,344; the music is 1,152 fewer (576 + 576), and begins after 576 + 529 = 1,105 samples.
TEST(AudioLoopBuffer, LoopsExactlyTheMusicOfTheShippedTrackWhateverTheDecoderKept)
{
    const Mp3Framing framing = Framing(Soundtrack());
    const struct {
        uint32_t frames, playBegin, playLength, loopBegin, loopLength;
    } shapes[] = {
        {3048192, 0, 0, 0, 3048192},                // trimmed: the music alone
        {3049344, 1105, 3048239, 1105, 3048192},    // untrimmed: delay before, 47 samples after
        {3050496, 2257, 3048239, 2257, 3048192},    // untrimmed, and the Info frame's 1,152 first
        {3049343, 0, 0, 0, 3049343},                // no known shape: the whole buffer
        {3048193, 0, 0, 0, 3048193},
    };
    for (const auto& shape : shapes) {
        const LoopBufferFields buffer = MusicLoopBuffer(shape.frames * 4 + 2, 4, framing);
        EXPECT_EQ(buffer.audioBytes, shape.frames * 4 + 2);
        EXPECT_EQ(buffer.playBegin, shape.playBegin) << shape.frames;
        EXPECT_EQ(buffer.playLength, shape.playLength) << shape.frames;
        EXPECT_EQ(buffer.loopBegin, shape.loopBegin) << shape.frames;
        EXPECT_EQ(buffer.loopLength, shape.loopLength) << shape.frames;
        EXPECT_EQ(buffer.loopCount, 255u);
        EXPECT_EQ(buffer.flags, 0u);
    }
}

TEST(AudioLoopBuffer, TheShapesFollowTheTagsNumbers)
{
    // 7 frames of 1,152 are 8,064 samples; 1,000 + 700 of them are delay and padding.
    const Mp3Framing framing = Framing(InfoFrame(true, false, false, 7, 1000, 700));
    const LoopBufferFields untrimmed = MusicLoopBuffer(8064 * 4, 4, framing);
    EXPECT_EQ(untrimmed.playBegin, 1529u);
    EXPECT_EQ(untrimmed.playLength, 8064u - 1529u);
    EXPECT_EQ(untrimmed.loopBegin, 1529u);
    EXPECT_EQ(untrimmed.loopLength, 6364u);
    EXPECT_EQ(MusicLoopBuffer(9216 * 4, 4, framing).loopBegin, 1152u + 1529u);
    EXPECT_EQ(MusicLoopBuffer(6364 * 4, 4, framing).loopLength, 6364u);

    // A padding shorter than the decoder's delay leaves the music's end out of an untrimmed decode.
    EXPECT_EQ(MusicLoopBuffer(8064 * 4, 4, Framing(InfoFrame(true, false, false, 7, 1000, 500))).loopLength, 8064u);
    // A track resampled from 22,050 Hz has no frame-count shapes.
    const Mp3Framing lsf = Framing(InfoFrame(false, false, false, 14, 1000, 700));
    ASSERT_TRUE(lsf.known);
    EXPECT_EQ(MusicLoopBuffer(8064 * 4, 4, lsf).playBegin, 0u);
}

TEST(AudioLoopBuffer, ASeekPlaysOnFromItsPlaceInTheLoopAndLoopsAsBefore)
{
    // The untrimmed shape above: 8,064 frames, the music's 6,364 of them from frame 1,529.
    const Mp3Framing framing = Framing(InfoFrame(true, false, false, 7, 1000, 700));
    const LoopBufferFields loop = MusicLoopBuffer(8064 * 4, 4, framing);
    // 10,000 frames in are one whole loop and 3,636 more: play from 1,529 + 3,636 to the end.
    const LoopBufferFields seeked = SeekLoopBuffer(loop, 4, 10000);
    EXPECT_EQ(seeked.playBegin, 5165u);
    EXPECT_EQ(seeked.playLength, 8064u - 5165u);
    EXPECT_EQ(seeked.loopBegin, 1529u);
    EXPECT_EQ(seeked.loopLength, 6364u);
    EXPECT_EQ(seeked.loopCount, 255u);
    EXPECT_EQ(seeked.audioBytes, 8064u * 4);
    // The engine's rules for a looping buffer: the loop ends within what is played and after its start.
    EXPECT_LE(seeked.loopBegin + seeked.loopLength, seeked.playBegin + seeked.playLength);
    EXPECT_GT(seeked.loopBegin + seeked.loopLength, seeked.playBegin);

    // Whole loops (none too) leave the show's own buffer; a trimmed track's loop is the whole buffer.
    for (const uint64_t offset : {0ull, 6364ull, 6364ull * 1000}) {
        const LoopBufferFields same = SeekLoopBuffer(loop, 4, offset);
        EXPECT_EQ(same.playBegin, 1529u) << offset;
        EXPECT_EQ(same.playLength, 8064u - 1529u) << offset;
    }
    const LoopBufferFields whole = SeekLoopBuffer(MusicLoopBuffer(1000 * 4, 4), 4, 2250);
    EXPECT_EQ(whole.playBegin, 250u);
    EXPECT_EQ(whole.playLength, 750u);
    EXPECT_EQ(whole.loopBegin, 0u);
    EXPECT_EQ(whole.loopLength, 1000u);
    // Nothing to seek in an empty track.
    EXPECT_EQ(SeekLoopBuffer(MusicLoopBuffer(0, 4), 4, 5).playBegin, 0u);
}

TEST(AudioFormat, IsSixteenBitStereoAt44100)
{
    const PcmFormatFields format = MusicPcmFormat();
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSecond, 44100u);
    EXPECT_EQ(format.averageBytesPerSecond, 176400u);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_TRUE(IsMusicPcmFormat(format));
}

TEST(AudioFormat, RejectsEveryOtherDecoderOutput)
{
    const PcmFormatFields music = MusicPcmFormat();
    std::vector<PcmFormatFields> others(7, music);
    others[0].formatTag = 3;  // float samples
    others[1].channels = 1;
    others[2].samplesPerSecond = 48000;
    others[3].averageBytesPerSecond = 192000;
    others[4].blockAlign = 8;
    others[5].bitsPerSample = 24;
    others[6] = PcmFormatFields{};
    for (std::size_t i = 0; i < others.size(); ++i) {
        EXPECT_FALSE(IsMusicPcmFormat(others[i])) << "case " << i;
    }
}

using Steps = std::vector<TeardownStep>;
using Step = TeardownStep;

TEST(AudioTeardown, WithNothingMadeOnlyEmptiesTheTrack)
{
    EXPECT_EQ(PlanMusicTeardown(false, false, false), Steps{Step::EmptyTrack});
}

TEST(AudioTeardown, WithEverythingMadeStopsThenDismantlesInOrder)
{
    EXPECT_EQ(PlanMusicTeardown(true, true, true),
              (Steps{Step::StopSource, Step::FlushSource, Step::DestroySource, Step::DestroyMastering,
                     Step::ReleaseEngine, Step::EmptyTrack}));
}

TEST(AudioTeardown, AfterAStartThatStoppedHalfWayReleasesOnlyWhatExists)
{
    EXPECT_EQ(PlanMusicTeardown(false, false, true), (Steps{Step::ReleaseEngine, Step::EmptyTrack}));
    EXPECT_EQ(PlanMusicTeardown(false, true, true),
              (Steps{Step::DestroyMastering, Step::ReleaseEngine, Step::EmptyTrack}));
}

}  // namespace

namespace {

TEST(AudioTeardown, ARestartKeepsTheTrackForTheNewVoice)
{
    EXPECT_EQ(PlanMusicTeardown(true, true, true, true),
              (std::vector<TeardownStep>{TeardownStep::StopSource, TeardownStep::FlushSource,
                                         TeardownStep::DestroySource, TeardownStep::DestroyMastering,
                                         TeardownStep::ReleaseEngine}));
}

}  // namespace
