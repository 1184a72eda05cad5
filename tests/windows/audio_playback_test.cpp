#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/intro_state.h"
#include "audio/music_player.h"
#include "audio/music.h"
#include "support/audio_recording_engine.h"
#include "support/audio_scripted_reader.h"

namespace {

// A quarter second of a quiet 440 Hz tone: short, so that looping shows within a second.
std::vector<uint8_t> ShortTone()
{
    const int frames = 11025;
    std::vector<uint8_t> pcm(frames * 4);
    auto* samples = reinterpret_cast<int16_t*>(pcm.data());
    for (int i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>(3000.0 * std::sin(2.0 * 3.14159265 * 440.0 * i / 44100.0));
        samples[2 * i] = value;
        samples[2 * i + 1] = value;
    }
    return pcm;
}

// Starts playback with the engine taken from another library than XAudio2's own.
bool StartPlaybackFrom(MusicState& music, const wchar_t* library)
{
    musicPlatform.audioLibrary = library;
    const bool started = StartPlayback(music);
    musicPlatform = SystemMusicPlatform();
    return started;
}

XAUDIO2_VOICE_STATE VoiceState(IXAudio2SourceVoice* voice)
{
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state, 0);
    return state;
}

void ExpectNothingMade(const MusicState& music)
{
    EXPECT_EQ(music.audioEngine, nullptr);
    EXPECT_EQ(music.masteringVoice, nullptr);
    EXPECT_EQ(music.sourceVoice, nullptr);
    EXPECT_EQ(music.engineWatch, nullptr);
}

TEST(AudioPlayback, PlaysTheBufferInAnEndlessLoopAndFadesIt)
{
    MusicState music;
    music.pcmBytes = ShortTone();
    ASSERT_TRUE(StartPlayback(music));
    ASSERT_NE(music.audioEngine, nullptr);
    ASSERT_NE(music.masteringVoice, nullptr);
    ASSERT_NE(music.sourceVoice, nullptr);
    EXPECT_EQ(music.pcmFormat.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(music.pcmFormat.nBlockAlign, 4);

    const uint64_t frames = music.pcmBytes.size() / 4;
    const XAUDIO2_VOICE_STATE first = VoiceState(music.sourceVoice);
    EXPECT_EQ(first.BuffersQueued, 1u);
    Sleep(1200);
    const XAUDIO2_VOICE_STATE later = VoiceState(music.sourceVoice);
    EXPECT_GT(later.SamplesPlayed, first.SamplesPlayed);
    // Well past the buffer's end, and the buffer is still queued: it loops.
    EXPECT_GT(later.SamplesPlayed, 2 * frames);
    EXPECT_EQ(later.BuffersQueued, 1u);

    float volume = -1.0f;
    music.sourceVoice->GetVolume(&volume);
    EXPECT_FLOAT_EQ(volume, 1.0f);
    FadeMusicPlayer(music, 0.25f);
    music.sourceVoice->GetVolume(&volume);
    EXPECT_FLOAT_EQ(volume, 0.75f);
    FadeMusicPlayer(music, 3.0f);
    music.sourceVoice->GetVolume(&volume);
    EXPECT_FLOAT_EQ(volume, 0.0f);
    EXPECT_FLOAT_EQ(music.musicVolume, 0.0f);
    // The fade only turns the volume down; the voice plays on.
    const uint64_t played = VoiceState(music.sourceVoice).SamplesPlayed;
    Sleep(200);
    EXPECT_GT(VoiceState(music.sourceVoice).SamplesPlayed, played);

    StopMusicPlayer(music);
    ExpectNothingMade(music);
    EXPECT_TRUE(music.pcmBytes.empty());
}

TEST(AudioPlayback, AStartAfterATeardownUsesTheLibraryAlreadyLoaded)
{
    MusicState music;
    music.pcmBytes = ShortTone();
    ASSERT_TRUE(StartPlayback(music));
    const HMODULE library = music.xaudioLibrary;
    StopMusicPlayer(music);
    music.pcmBytes = ShortTone();
    ASSERT_TRUE(StartPlaybackFrom(music, L"never-loaded.dll"));
    EXPECT_EQ(music.xaudioLibrary, library);
    StopMusicPlayer(music);
    ExpectNothingMade(music);
}

TEST(AudioPlayback, MissingLibraryFailsAndMakesNothing)
{
    MusicState music;
    music.pcmBytes = ShortTone();
    EXPECT_FALSE(StartPlaybackFrom(music, L"xaudio2_absent.dll"));
    ExpectNothingMade(music);
    EXPECT_EQ(music.xaudioLibrary, nullptr);
    // The fade without a voice only keeps the volume.
    FadeMusicPlayer(music, 0.5f);
    EXPECT_FLOAT_EQ(music.musicVolume, 0.5f);
    StopMusicPlayer(music);
    EXPECT_TRUE(music.pcmBytes.empty());
}

TEST(AudioPlayback, ALibraryWithoutEitherEntryFails)
{
    MusicState music;
    music.pcmBytes = ShortTone();
    EXPECT_FALSE(StartPlaybackFrom(music, L"kernel32.dll"));
    ExpectNothingMade(music);
    EXPECT_EQ(music.createWithVersionInfo, nullptr);
    EXPECT_EQ(music.create, nullptr);
}

TEST(AudioPlayback, AfterTheOutputIsLostPlaysTheSameTrackAgainOnANewEngine)
{
    MusicState music;
    music.pcmBytes = ShortTone();
    ASSERT_TRUE(StartPlayback(music));
    FadeMusicPlayer(music, 0.5f);
    EXPECT_FALSE(RestartMusicPlayerIfLost(music));
    const std::vector<uint8_t> track = music.pcmBytes;

    // What the engine's thread does when the device goes away.
    ASSERT_NE(music.engineWatch, nullptr);
    music.engineWatch->OnCriticalError(E_FAIL);
    EXPECT_TRUE(RestartMusicPlayerIfLost(music));
    ASSERT_NE(music.sourceVoice, nullptr);
    EXPECT_EQ(music.pcmBytes, track);
    float volume = -1.0f;
    music.sourceVoice->GetVolume(&volume);
    EXPECT_FLOAT_EQ(volume, 0.5f);
    const uint64_t played = VoiceState(music.sourceVoice).SamplesPlayed;
    Sleep(300);
    EXPECT_GT(VoiceState(music.sourceVoice).SamplesPlayed, played);
    EXPECT_EQ(VoiceState(music.sourceVoice).BuffersQueued, 1u);
    // Answered once: the next loop finds nothing to do.
    EXPECT_FALSE(RestartMusicPlayerIfLost(music));
    StopMusicPlayer(music);
    ExpectNothingMade(music);
}

// The intro's own entry points over intro.music, from the embedded track to the teardown.
TEST(AudioMusic, StartsFadesAndStopsTheEmbeddedTrack)
{
    intro = IntroState{};
    ASSERT_TRUE(StartMusic(GetModuleHandleW(nullptr)));
    ASSERT_NE(intro.music.sourceVoice, nullptr);
    EXPECT_GT(intro.music.pcmBytes.size(), 60u * 176400u);
    Sleep(300);
    EXPECT_GT(VoiceState(intro.music.sourceVoice).SamplesPlayed, 0u);
    UpdateMusicFade(0.5f);
    EXPECT_FLOAT_EQ(intro.music.musicVolume, 0.5f);
    StopMusic();
    ExpectNothingMade(intro.music);
    EXPECT_TRUE(intro.music.pcmBytes.empty());
    intro = IntroState{};
}

// A decoder that keeps what the encoder added: the delay (576 + 529 samples) before the music and
// the 47 samples of padding that the decoder's delay leaves after it, around the 3,048,192 samples
// of music that Wine's decoder delivers. Only the music loops, from its first sample.
TEST(AudioMusic, AnUntrimmedDecodeLoopsOnlyTheMusic)
{
    intro = IntroState{};
    submittedBuffers.clear();
    intro.music.xaudioLibrary = LoadLibraryExW(L"xaudio2_9.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    intro.music.create = RecordingEngineCreation;
    SetReaderSilence(1105, 47);
    musicPlatform.createReader = ScriptedReaderCreation;
    const bool started = StartMusic(GetModuleHandleW(nullptr));
    musicPlatform = SystemMusicPlatform();
    ASSERT_TRUE(started);
    ASSERT_EQ(intro.music.pcmBytes.size(), 3049344u * 4);
    ASSERT_EQ(submittedBuffers.size(), 1u);
    const XAUDIO2_BUFFER& buffer = submittedBuffers[0].buffer;
    EXPECT_EQ(submittedBuffers[0].result, S_OK);
    EXPECT_EQ(buffer.pAudioData, intro.music.pcmBytes.data());
    EXPECT_EQ(buffer.AudioBytes, 3049344u * 4);
    EXPECT_EQ(buffer.PlayBegin, 1105u);
    EXPECT_EQ(buffer.PlayLength, 3049344u - 1105u);
    EXPECT_EQ(buffer.LoopBegin, 1105u);
    EXPECT_EQ(buffer.LoopLength, 3048192u);
    EXPECT_EQ(buffer.LoopCount, XAUDIO2_LOOP_INFINITE);
    Sleep(300);
    EXPECT_GT(VoiceState(intro.music.sourceVoice).SamplesPlayed, 0u);
    StopMusic();
    ExpectNothingMade(intro.music);
    intro = IntroState{};
}

// Run with HTN_AUDIO_NO_XAUDIO2=1 and the override "xaudio2_9=" that takes the library away.
TEST(AudioMusicWithoutXAudio2, FailsAndMakesNothing)
{
    if (std::getenv("HTN_AUDIO_NO_XAUDIO2") == nullptr) {
        GTEST_SKIP() << "needs HTN_AUDIO_NO_XAUDIO2=1 and the DLL override xaudio2_9=";
    }
    intro = IntroState{};
    EXPECT_FALSE(StartMusic(GetModuleHandleW(nullptr)));
    ExpectNothingMade(intro.music);
    EXPECT_EQ(intro.music.xaudioLibrary, nullptr);
    StopMusic();
    EXPECT_TRUE(intro.music.pcmBytes.empty());
    intro = IntroState{};
}

}  // namespace
