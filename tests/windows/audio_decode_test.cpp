#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <utility>
#include <vector>

#include "audio/music.h"
#include "audio/track_decoder.h"
#include "resources/resource_ids.h"
#include "support/audio_scripted_reader.h"

namespace {

// The soundtrack is 36 bars of 16 sixteenths of 5292 frames; the MP3 encoder adds up to about
// two frames of 1152 samples of delay and padding around it.
constexpr long kTrackFrames = 36L * 16 * 5292;
constexpr long kCodecSlackFrames = 4096;

int startups = 0;
int shutdowns = 0;
HRESULT startupResult = S_OK;

HRESULT WINAPI CountingStartup(ULONG version, DWORD flags)
{
    ++startups;
    return FAILED(startupResult) ? startupResult : SystemMusicPlatform().startup(version, flags);
}

HRESULT WINAPI CountingShutdown()
{
    ++shutdowns;
    return SystemMusicPlatform().shutdown();
}

class AudioDecode : public ::testing::Test {
protected:
    void SetUp() override
    {
        startups = 0;
        shutdowns = 0;
        startupResult = S_OK;
        musicPlatform.startup = CountingStartup;
        musicPlatform.shutdown = CountingShutdown;
    }

    void TearDown() override { musicPlatform = SystemMusicPlatform(); }

    std::vector<uint8_t> pcm;
};

double RmsOf(const std::vector<uint8_t>& pcm, std::size_t firstFrame, std::size_t frames)
{
    const auto* samples = reinterpret_cast<const int16_t*>(pcm.data());
    double sum = 0.0;
    for (std::size_t i = firstFrame * 2; i < (firstFrame + frames) * 2; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / (frames * 2)) / 32768.0;
}

TEST_F(AudioDecode, EmbeddedTrackBecomesSixteenBitStereoOfItsFullLength)
{
    ASSERT_TRUE(DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, pcm));
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(shutdowns, 1);
    EXPECT_EQ(pcm.size() % 4, 0u);
    const long frames = static_cast<long>(pcm.size() / 4);
    EXPECT_LE(std::labs(frames - kTrackFrames), kCodecSlackFrames) << frames << " frames";
    // Music, not silence or noise of the wrong layout: every ten seconds carry sound at a sane level.
    for (std::size_t second = 0; second + 10 < 69; second += 10) {
        const double rms = RmsOf(pcm, second * 44100, 44100);
        EXPECT_GT(rms, 0.05) << "at " << second << " s";
        EXPECT_LT(rms, 0.7) << "at " << second << " s";
    }
}

TEST_F(AudioDecode, ADecodeReplacesWhatTheTrackHeldBefore)
{
    pcm.assign(12, 0xAB);
    ASSERT_TRUE(DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, pcm));
    std::vector<uint8_t> again;
    ASSERT_TRUE(DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, again));
    EXPECT_EQ(pcm, again);
    EXPECT_EQ(startups, 2);
    EXPECT_EQ(shutdowns, 2);
}

TEST_F(AudioDecode, MissingResourceFailsWithoutStartingMediaFoundation)
{
    EXPECT_FALSE(DecodeTrackResource(GetModuleHandleW(nullptr), 4242, pcm));
    EXPECT_EQ(startups, 0);
    EXPECT_EQ(shutdowns, 0);
}

TEST_F(AudioDecode, EmptyBytesFailWithoutStartingMediaFoundation)
{
    const uint8_t none[1] = {};
    EXPECT_FALSE(DecodeTrackBytes(none, 0, pcm));
    EXPECT_FALSE(DecodeTrackBytes(nullptr, 16, pcm));
    EXPECT_EQ(startups, 0);
    EXPECT_EQ(shutdowns, 0);
}

TEST_F(AudioDecode, BytesThatAreNoMediaFailAndShutMediaFoundationDown)
{
    std::vector<uint8_t> text(65536);
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<uint8_t>("not an mp3, just words. "[i % 24]);
    }
    pcm.assign(8, 1);
    EXPECT_FALSE(DecodeTrackBytes(text.data(), static_cast<DWORD>(text.size()), pcm));
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(shutdowns, 1);
}

TEST_F(AudioDecode, RefusedStartupFailsWithoutShutdown)
{
    startupResult = E_OUTOFMEMORY;
    EXPECT_FALSE(DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, pcm));
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(shutdowns, 0);
    EXPECT_TRUE(pcm.empty());
}

// Reads the embedded track through a reader that follows script before the real reads.
class AudioDecodeScripted : public AudioDecode {
protected:
    bool DecodeWithScript(std::deque<ReadStep> script)
    {
        SetReaderScript(std::move(script));
        musicPlatform.createReader = ScriptedReaderCreation;
        return DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, pcm);
    }

    // The bytes the first samples of the track decode to.
    std::size_t BytesOfFirstSamples(int samples)
    {
        std::deque<ReadStep> script(static_cast<std::size_t>(samples), ReadStep::Forward);
        script.push_back(ReadStep::Fail);
        DecodeWithScript(std::move(script));
        return pcm.size();
    }
};

TEST_F(AudioDecodeScripted, AReadFailureMidTrackFailsAndKeepsWhatCameBefore)
{
    EXPECT_FALSE(DecodeWithScript({ReadStep::Forward, ReadStep::Forward, ReadStep::Forward, ReadStep::Fail}));
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(shutdowns, 1);
    EXPECT_GT(pcm.size(), 0u);
    EXPECT_EQ(pcm.size() % 4, 0u);
}

TEST_F(AudioDecodeScripted, AReadWithNeitherSampleNorEndIsFollowedByAnotherRead)
{
    ASSERT_TRUE(DecodeTrackResource(GetModuleHandleW(nullptr), IDR_RCDATA1, pcm));
    const std::vector<uint8_t> plain = pcm;
    EXPECT_TRUE(DecodeWithScript({ReadStep::Forward, ReadStep::Nothing, ReadStep::Nothing, ReadStep::Forward}));
    EXPECT_EQ(pcm, plain);
}

TEST_F(AudioDecodeScripted, ASampleThatComesWithTheEndFlagIsNotAppended)
{
    const std::size_t twoSamples = BytesOfFirstSamples(2);
    const std::size_t threeSamples = BytesOfFirstSamples(3);
    ASSERT_GT(threeSamples, twoSamples);
    startups = 0;
    shutdowns = 0;
    EXPECT_TRUE(DecodeWithScript({ReadStep::Forward, ReadStep::Forward, ReadStep::SampleWithEnd}));
    EXPECT_EQ(pcm.size(), twoSamples);
    EXPECT_EQ(startups, 1);
    EXPECT_EQ(shutdowns, 1);
}

TEST_F(AudioDecodeScripted, AReadThatFlagsAnErrorFails)
{
    EXPECT_FALSE(DecodeWithScript({ReadStep::Forward, ReadStep::ErrorFlag}));
    EXPECT_EQ(shutdowns, 1);
}

TEST_F(AudioDecodeScripted, AReaderThatNeverAnswersCannotHoldUpTheStart)
{
    EXPECT_FALSE(DecodeWithScript({ReadStep::Forward, ReadStep::NothingFromNowOn}));
    EXPECT_EQ(shutdowns, 1);
}

}  // namespace
