#include "support/audio_recording_engine.h"

#include "audio/music_player.h"

std::vector<SubmittedBuffer> submittedBuffers;

namespace {

class RecordingVoice final : public IXAudio2SourceVoice {
public:
    explicit RecordingVoice(IXAudio2SourceVoice* real) : real_(real) {}

    HRESULT STDMETHODCALLTYPE SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const XAUDIO2_BUFFER_WMA* wma) override
    {
        const HRESULT result = real_->SubmitSourceBuffer(buffer, wma);
        submittedBuffers.push_back({*buffer, result});
        return result;
    }
    void STDMETHODCALLTYPE DestroyVoice() override
    {
        real_->DestroyVoice();
        delete this;
    }

    void STDMETHODCALLTYPE GetVoiceDetails(XAUDIO2_VOICE_DETAILS* d) override { real_->GetVoiceDetails(d); }
    HRESULT STDMETHODCALLTYPE SetOutputVoices(const XAUDIO2_VOICE_SENDS* s) override { return real_->SetOutputVoices(s); }
    HRESULT STDMETHODCALLTYPE SetEffectChain(const XAUDIO2_EFFECT_CHAIN* c) override { return real_->SetEffectChain(c); }
    HRESULT STDMETHODCALLTYPE EnableEffect(UINT32 i, UINT32 o) override { return real_->EnableEffect(i, o); }
    HRESULT STDMETHODCALLTYPE DisableEffect(UINT32 i, UINT32 o) override { return real_->DisableEffect(i, o); }
    void STDMETHODCALLTYPE GetEffectState(UINT32 i, WINBOOL* e) override { real_->GetEffectState(i, e); }
    HRESULT STDMETHODCALLTYPE SetEffectParameters(UINT32 i, const void* p, UINT32 n, UINT32 o) override
    {
        return real_->SetEffectParameters(i, p, n, o);
    }
    HRESULT STDMETHODCALLTYPE GetEffectParameters(UINT32 i, void* p, UINT32 n) override
    {
        return real_->GetEffectParameters(i, p, n);
    }
    HRESULT STDMETHODCALLTYPE SetFilterParameters(const XAUDIO2_FILTER_PARAMETERS* p, UINT32 o) override
    {
        return real_->SetFilterParameters(p, o);
    }
    void STDMETHODCALLTYPE GetFilterParameters(XAUDIO2_FILTER_PARAMETERS* p) override { real_->GetFilterParameters(p); }
    HRESULT STDMETHODCALLTYPE SetOutputFilterParameters(IXAudio2Voice* v, const XAUDIO2_FILTER_PARAMETERS* p,
                                                        UINT32 o) override
    {
        return real_->SetOutputFilterParameters(v, p, o);
    }
    void STDMETHODCALLTYPE GetOutputFilterParameters(IXAudio2Voice* v, XAUDIO2_FILTER_PARAMETERS* p) override
    {
        real_->GetOutputFilterParameters(v, p);
    }
    HRESULT STDMETHODCALLTYPE SetVolume(float v, UINT32 o) override { return real_->SetVolume(v, o); }
    void STDMETHODCALLTYPE GetVolume(float* v) override { real_->GetVolume(v); }
    HRESULT STDMETHODCALLTYPE SetChannelVolumes(UINT32 n, const float* v, UINT32 o) override
    {
        return real_->SetChannelVolumes(n, v, o);
    }
    void STDMETHODCALLTYPE GetChannelVolumes(UINT32 n, float* v) override { real_->GetChannelVolumes(n, v); }
    HRESULT STDMETHODCALLTYPE SetOutputMatrix(IXAudio2Voice* v, UINT32 s, UINT32 d, const float* m, UINT32 o) override
    {
        return real_->SetOutputMatrix(v, s, d, m, o);
    }
    void STDMETHODCALLTYPE GetOutputMatrix(IXAudio2Voice* v, UINT32 s, UINT32 d, float* m) override
    {
        real_->GetOutputMatrix(v, s, d, m);
    }
    HRESULT STDMETHODCALLTYPE Start(UINT32 f, UINT32 o) override { return real_->Start(f, o); }
    HRESULT STDMETHODCALLTYPE Stop(UINT32 f, UINT32 o) override { return real_->Stop(f, o); }
    HRESULT STDMETHODCALLTYPE FlushSourceBuffers() override { return real_->FlushSourceBuffers(); }
    HRESULT STDMETHODCALLTYPE Discontinuity() override { return real_->Discontinuity(); }
    HRESULT STDMETHODCALLTYPE ExitLoop(UINT32 o) override { return real_->ExitLoop(o); }
    void STDMETHODCALLTYPE GetState(XAUDIO2_VOICE_STATE* s, UINT32 f) override { real_->GetState(s, f); }
    HRESULT STDMETHODCALLTYPE SetFrequencyRatio(float r, UINT32 o) override { return real_->SetFrequencyRatio(r, o); }
    void STDMETHODCALLTYPE GetFrequencyRatio(float* r) override { real_->GetFrequencyRatio(r); }
    HRESULT STDMETHODCALLTYPE SetSourceSampleRate(UINT32 r) override { return real_->SetSourceSampleRate(r); }

private:
    ~RecordingVoice() = default;
    IXAudio2SourceVoice* real_;
};

class RecordingEngine final : public IXAudio2 {
public:
    explicit RecordingEngine(IXAudio2* real) : real_(real) {}

    HRESULT STDMETHODCALLTYPE CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32 flags,
                                                float ratio, IXAudio2VoiceCallback* callback,
                                                const XAUDIO2_VOICE_SENDS* sends,
                                                const XAUDIO2_EFFECT_CHAIN* effects) override
    {
        IXAudio2SourceVoice* real = nullptr;
        const HRESULT created = real_->CreateSourceVoice(&real, format, flags, ratio, callback, sends, effects);
        *voice = SUCCEEDED(created) && real != nullptr ? new RecordingVoice(real) : nullptr;
        return created;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = real_->Release();
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(IXAudio2))) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return real_->AddRef(); }
    HRESULT STDMETHODCALLTYPE RegisterForCallbacks(IXAudio2EngineCallback* c) override
    {
        return real_->RegisterForCallbacks(c);
    }
    void STDMETHODCALLTYPE UnregisterForCallbacks(IXAudio2EngineCallback* c) override { real_->UnregisterForCallbacks(c); }
    HRESULT STDMETHODCALLTYPE CreateSubmixVoice(IXAudio2SubmixVoice** v, UINT32 c, UINT32 r, UINT32 f, UINT32 s,
                                                const XAUDIO2_VOICE_SENDS* l, const XAUDIO2_EFFECT_CHAIN* e) override
    {
        return real_->CreateSubmixVoice(v, c, r, f, s, l, e);
    }
    HRESULT STDMETHODCALLTYPE CreateMasteringVoice(IXAudio2MasteringVoice** v, UINT32 c, UINT32 r, UINT32 f, LPCWSTR d,
                                                   const XAUDIO2_EFFECT_CHAIN* e, AUDIO_STREAM_CATEGORY s) override
    {
        return real_->CreateMasteringVoice(v, c, r, f, d, e, s);
    }
    HRESULT STDMETHODCALLTYPE StartEngine() override { return real_->StartEngine(); }
    void STDMETHODCALLTYPE StopEngine() override { real_->StopEngine(); }
    HRESULT STDMETHODCALLTYPE CommitChanges(UINT32 o) override { return real_->CommitChanges(o); }
    void STDMETHODCALLTYPE GetPerformanceData(XAUDIO2_PERFORMANCE_DATA* d) override { real_->GetPerformanceData(d); }
    void STDMETHODCALLTYPE SetDebugConfiguration(const XAUDIO2_DEBUG_CONFIGURATION* c, void* r) override
    {
        real_->SetDebugConfiguration(c, r);
    }

private:
    ~RecordingEngine() = default;
    IXAudio2* real_;
};

}  // namespace

HRESULT WINAPI RecordingEngineCreation(IXAudio2** engine, UINT32 flags, UINT32 processor)
{
    HMODULE library = LoadLibraryExW(L"xaudio2_9.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto create = library == nullptr ? nullptr : FindLibraryEntry<XAudio2CreateEntry>(library, "XAudio2Create");
    IXAudio2* real = nullptr;
    const HRESULT created = create == nullptr ? E_FAIL : create(&real, flags, processor);
    *engine = SUCCEEDED(created) && real != nullptr ? new RecordingEngine(real) : nullptr;
    return created;
}
