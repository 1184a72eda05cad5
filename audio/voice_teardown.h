#pragma once

#include "audio/music_state.h"
#include "audio/music_teardown.h"

// The teardown over the real engine and voices of one MusicState.
class VoiceTeardown : public MusicTeardown {
public:
    explicit VoiceTeardown(MusicState& music) : music_(music) {}
    bool HasSourceVoice() const override;
    bool HasMasteringVoice() const override;
    bool HasEngine() const override;
    void StopSourceVoice() override;
    void FlushSourceBuffers() override;
    void DestroySourceVoice() override;
    void DestroyMasteringVoice() override;
    void ReleaseEngine() override;
    void EmptyTrack() override;

private:
    MusicState& music_;
};
