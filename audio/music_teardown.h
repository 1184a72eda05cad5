#pragma once

// The player's objects as the teardown sees them. Each Destroy/Release also clears its slot.
class MusicTeardown {
public:
    virtual ~MusicTeardown() = default;
    virtual bool HasSourceVoice() const = 0;
    virtual bool HasMasteringVoice() const = 0;
    virtual bool HasEngine() const = 0;
    virtual void StopSourceVoice() = 0;
    virtual void FlushSourceBuffers() = 0;
    virtual void DestroySourceVoice() = 0;
    virtual void DestroyMasteringVoice() = 0;
    virtual void ReleaseEngine() = 0;
    virtual void EmptyTrack() = 0;
};

// Silences and dismantles the player: the source voice before the mastering voice it feeds, both
// before the engine, and the track emptied only once no voice can read it.
void TearDownMusic(MusicTeardown& player);
