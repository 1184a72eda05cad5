// The XAudio2 player: the engine loaded at run time, the voices and the looping buffer, the fade
// and the teardown.
#include "audio/music_player.h"

#include "audio/music.h"
#include "audio/music_rules.h"
#include "core/failure_text.h"

static_assert(kPcmFormatTag == WAVE_FORMAT_PCM, "the decoded track is plain PCM");
static_assert(kLoopForever == XAUDIO2_LOOP_INFINITE, "the buffer loops without end");

namespace {

// Runs on the engine's thread: it only raises the flag that the main loop reads.
class EngineWatch final : public IXAudio2EngineCallback {
public:
    explicit EngineWatch(volatile LONG* lost) : lost_(lost) {}
    void STDMETHODCALLTYPE OnProcessingPassStart() override {}
    void STDMETHODCALLTYPE OnProcessingPassEnd() override {}
    void STDMETHODCALLTYPE OnCriticalError(HRESULT) override { InterlockedExchange(lost_, 1); }

private:
    volatile LONG* lost_;
};

void TearDown(MusicState& music, bool keepTrack)
{
    const std::vector<TeardownStep> steps = PlanMusicTeardown(
        music.sourceVoice != nullptr, music.masteringVoice != nullptr, music.audioEngine != nullptr, keepTrack);
    for (const TeardownStep step : steps) {
        switch (step) {
        case TeardownStep::StopSource:
            // Without the play-tails flag the voice falls silent at once.
            music.sourceVoice->Stop(0, XAUDIO2_COMMIT_NOW);
            break;
        case TeardownStep::FlushSource:
            music.sourceVoice->FlushSourceBuffers();
            break;
        case TeardownStep::DestroySource:
            music.sourceVoice->DestroyVoice();
            music.sourceVoice = nullptr;
            break;
        case TeardownStep::DestroyMastering:
            music.masteringVoice->DestroyVoice();
            music.masteringVoice = nullptr;
            break;
        case TeardownStep::ReleaseEngine:
            music.audioEngine->UnregisterForCallbacks(music.engineWatch);
            ReleaseField(music.audioEngine);
            break;
        case TeardownStep::EmptyTrack:
            music.pcmBytes.clear();
            break;
        }
    }
    // The engine's thread is gone with the engine, so nothing can call the watch any more.
    if (music.audioEngine == nullptr) {
        delete static_cast<EngineWatch*>(music.engineWatch);
        music.engineWatch = nullptr;
    }
}

// The engine's own choice of processor, and the Windows version the program is built for.
constexpr UINT32 kDefaultProcessor = 1;
constexpr DWORD kTargetWindowsVersion = 0x0A000010;

// The loader's error as an HRESULT; a loader that failed without saying why still counts as failed.
HRESULT LastErrorCode()
{
    const HRESULT code = static_cast<HRESULT>(Win32ErrorCode(GetLastError()));
    return FAILED(code) ? code : E_FAIL;
}

HRESULT FindEngineEntries(MusicState& music)
{
    if (music.xaudioLibrary == nullptr) {
        music.xaudioLibrary = LoadLibraryExW(musicPlatform.audioLibrary, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (music.xaudioLibrary == nullptr) {
            return LastErrorCode();
        }
        music.createWithVersionInfo =
            FindLibraryEntry<XAudio2CreateWithVersionInfoEntry>(music.xaudioLibrary, "XAudio2CreateWithVersionInfo");
        if (music.createWithVersionInfo == nullptr) {
            music.create = FindLibraryEntry<XAudio2CreateEntry>(music.xaudioLibrary, "XAudio2Create");
        }
    }
    if (music.createWithVersionInfo == nullptr && music.create == nullptr) {
        return LastErrorCode();
    }
    return S_OK;
}

void FillWaveFormat(WAVEFORMATEX& wave)
{
    const PcmFormatFields format = MusicPcmFormat();
    wave.wFormatTag = format.formatTag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSecond;
    wave.nAvgBytesPerSec = format.averageBytesPerSecond;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
}

XAUDIO2_BUFFER LoopingBuffer(const MusicState& music, const Mp3Framing& framing, uint64_t frameOffset = 0)
{
    const uint16_t blockAlign = music.pcmFormat.nBlockAlign;
    const LoopBufferFields fields =
        SeekLoopBuffer(MusicLoopBuffer(music.pcmBytes.size(), blockAlign, framing), blockAlign, frameOffset);
    XAUDIO2_BUFFER buffer{};
    buffer.Flags = fields.flags;
    buffer.AudioBytes = fields.audioBytes;
    buffer.pAudioData = music.pcmBytes.data();
    buffer.PlayBegin = fields.playBegin;
    buffer.PlayLength = fields.playLength;
    buffer.LoopBegin = fields.loopBegin;
    buffer.LoopLength = fields.loopLength;
    buffer.LoopCount = fields.loopCount;
    buffer.pContext = nullptr;
    return buffer;
}

}  // namespace

HRESULT CreateAudioEngine(MusicState& music)
{
    const HRESULT found = FindEngineEntries(music);
    if (FAILED(found)) {
        return found;
    }
    HRESULT created = E_FAIL;
    if (music.createWithVersionInfo != nullptr) {
        created = music.createWithVersionInfo(&music.audioEngine, 0, kDefaultProcessor, kTargetWindowsVersion);
    } else {
        created = music.create(&music.audioEngine, 0, kDefaultProcessor);
    }
    if (FAILED(created)) {
        music.audioEngine = nullptr;
        return created;
    }
    return music.audioEngine == nullptr ? E_POINTER : S_OK;
}

bool StartPlayback(MusicState& music, const Mp3Framing& framing)
{
    if (FAILED(CreateAudioEngine(music))) {
        return false;
    }
    music.engineWatch = new EngineWatch(&music.engineLost);
    if (FAILED(music.audioEngine->RegisterForCallbacks(music.engineWatch))) {
        return false;
    }
    if (FAILED(music.audioEngine->CreateMasteringVoice(&music.masteringVoice, XAUDIO2_DEFAULT_CHANNELS,
                                                       XAUDIO2_DEFAULT_SAMPLERATE, 0, nullptr, nullptr,
                                                       AudioCategory_GameEffects)) ||
        music.masteringVoice == nullptr) {
        return false;
    }
    FillWaveFormat(music.pcmFormat);
    if (FAILED(music.audioEngine->CreateSourceVoice(&music.sourceVoice, &music.pcmFormat, 0,
                                                    XAUDIO2_DEFAULT_FREQ_RATIO, nullptr, nullptr, nullptr)) ||
        music.sourceVoice == nullptr) {
        return false;
    }
    const XAUDIO2_BUFFER buffer = LoopingBuffer(music, framing);
    if (FAILED(music.sourceVoice->SubmitSourceBuffer(&buffer, nullptr))) {
        return false;
    }
    music.sourceVoice->SetVolume(music.musicVolume, XAUDIO2_COMMIT_NOW);
    return SUCCEEDED(music.sourceVoice->Start(0, XAUDIO2_COMMIT_NOW));
}

void FadeMusicPlayer(MusicState& music, float exitT)
{
    music.musicVolume = MusicFadeVolume(exitT);
    if (music.sourceVoice != nullptr) {
        music.sourceVoice->SetVolume(music.muted ? 0.0f : music.musicVolume, XAUDIO2_COMMIT_NOW);
    }
}

void PauseMusicPlayer(MusicState& music, bool paused)
{
    music.paused = paused;
    if (music.sourceVoice == nullptr) return;
    if (paused) {
        music.sourceVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    } else {
        music.sourceVoice->Start(0, XAUDIO2_COMMIT_NOW);
    }
}

void MuteMusicPlayer(MusicState& music, bool muted)
{
    music.muted = muted;
    if (music.sourceVoice != nullptr) music.sourceVoice->SetVolume(muted ? 0.0f : music.musicVolume, XAUDIO2_COMMIT_NOW);
}

void SeekMusicPlayer(MusicState& music, uint64_t frameOffset, const Mp3Framing& framing)
{
    if (music.sourceVoice == nullptr) return;
    // A stopped voice gives up every buffer, the one it was playing too, and starts the new one afresh.
    music.sourceVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    music.sourceVoice->FlushSourceBuffers();
    const XAUDIO2_BUFFER buffer = LoopingBuffer(music, framing, frameOffset);
    if (SUCCEEDED(music.sourceVoice->SubmitSourceBuffer(&buffer, nullptr)) && !music.paused) {
        music.sourceVoice->Start(0, XAUDIO2_COMMIT_NOW);
    }
}

void StopMusicPlayer(MusicState& music)
{
    TearDown(music, false);
}

bool RestartMusicPlayerIfLost(MusicState& music, const Mp3Framing& framing)
{
    if (InterlockedCompareExchange(&music.engineLost, 0, 1) == 0) return false;
    TearDown(music, true);
    if (!StartPlayback(music, framing)) TearDown(music, true);
    return true;
}
