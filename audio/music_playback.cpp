#include "audio/music_playback.h"

#include "audio/audio_engine.h"
#include "audio/loop_buffer.h"
#include "audio/music_format.h"

namespace {

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

XAUDIO2_BUFFER LoopingBuffer(const MusicState& music)
{
    const LoopBufferFields fields = MusicLoopBuffer(music.pcmBytes.size(), music.pcmFormat.nBlockAlign);
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

bool StartPlayback(MusicState& music, const wchar_t* libraryName)
{
    if (FAILED(CreateAudioEngine(music, libraryName))) {
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
    const XAUDIO2_BUFFER buffer = LoopingBuffer(music);
    if (FAILED(music.sourceVoice->SubmitSourceBuffer(&buffer, nullptr))) {
        return false;
    }
    music.sourceVoice->SetVolume(music.musicVolume, XAUDIO2_COMMIT_NOW);
    return SUCCEEDED(music.sourceVoice->Start(0, XAUDIO2_COMMIT_NOW));
}
