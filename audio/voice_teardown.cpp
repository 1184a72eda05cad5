#include "audio/voice_teardown.h"

bool VoiceTeardown::HasSourceVoice() const { return music_.sourceVoice != nullptr; }
bool VoiceTeardown::HasMasteringVoice() const { return music_.masteringVoice != nullptr; }
bool VoiceTeardown::HasEngine() const { return music_.audioEngine != nullptr; }

// Without the play-tails flag the voice falls silent at once.
void VoiceTeardown::StopSourceVoice() { music_.sourceVoice->Stop(0, XAUDIO2_COMMIT_NOW); }

void VoiceTeardown::FlushSourceBuffers() { music_.sourceVoice->FlushSourceBuffers(); }

void VoiceTeardown::DestroySourceVoice()
{
    music_.sourceVoice->DestroyVoice();
    music_.sourceVoice = nullptr;
}

void VoiceTeardown::DestroyMasteringVoice()
{
    music_.masteringVoice->DestroyVoice();
    music_.masteringVoice = nullptr;
}

void VoiceTeardown::ReleaseEngine()
{
    music_.audioEngine->Release();
    music_.audioEngine = nullptr;
}

void VoiceTeardown::EmptyTrack() { music_.pcmBytes.clear(); }
