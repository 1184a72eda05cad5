#include <gtest/gtest.h>

#include <cmath>
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
