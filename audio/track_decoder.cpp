#include "audio/track_decoder.h"

#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <objbase.h>

#include <cstring>

#include "audio/music.h"
#include "audio/music_rules.h"

namespace {

const DWORD kFirstAudioStream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

// Asks the reader for the music format and checks that it will really deliver it: a reader that
// keeps its own type would fill the track with bytes the voice cannot play.
bool RequestMusicFormat(IMFSourceReader* reader)
{
    const PcmFormatFields music = MusicPcmFormat();
    IMFMediaType* requested = nullptr;
    if (FAILED(musicPlatform.createMediaType(&requested)) || requested == nullptr) {
        return false;
    }
    requested->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    requested->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    requested->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, music.channels);
    requested->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, music.samplesPerSecond);
    requested->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, music.bitsPerSample);
    requested->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, music.blockAlign);
    requested->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, music.averageBytesPerSecond);
    const HRESULT set = reader->SetCurrentMediaType(kFirstAudioStream, nullptr, requested);
    requested->Release();
    if (FAILED(set)) {
        return false;
    }

    IMFMediaType* current = nullptr;
    if (FAILED(reader->GetCurrentMediaType(kFirstAudioStream, &current)) || current == nullptr) {
        return false;
    }
    GUID subtype{};
    current->GetGUID(MF_MT_SUBTYPE, &subtype);
    PcmFormatFields delivered;
    delivered.formatTag = IsEqualGUID(subtype, MFAudioFormat_PCM) ? kPcmFormatTag : 0;
    delivered.channels = static_cast<uint16_t>(MFGetAttributeUINT32(current, MF_MT_AUDIO_NUM_CHANNELS, 0));
    delivered.samplesPerSecond = MFGetAttributeUINT32(current, MF_MT_AUDIO_SAMPLES_PER_SECOND, 0);
    delivered.bitsPerSample = static_cast<uint16_t>(MFGetAttributeUINT32(current, MF_MT_AUDIO_BITS_PER_SAMPLE, 0));
    delivered.blockAlign = static_cast<uint16_t>(MFGetAttributeUINT32(current, MF_MT_AUDIO_BLOCK_ALIGNMENT, 0));
    delivered.averageBytesPerSecond = MFGetAttributeUINT32(current, MF_MT_AUDIO_AVG_BYTES_PER_SECOND, 0);
    current->Release();
    return IsMusicPcmFormat(delivered);
}

bool AppendSample(IMFSample* sample, std::vector<uint8_t>& pcm)
{
    IMFMediaBuffer* buffer = nullptr;
    if (FAILED(sample->ConvertToContiguousBuffer(&buffer)) || buffer == nullptr) {
        return false;
    }
    BYTE* data = nullptr;
    DWORD currentLength = 0;
    if (FAILED(buffer->Lock(&data, nullptr, &currentLength))) {
        buffer->Release();
        return false;
    }
    if (currentLength > 0) {
        const std::size_t oldSize = pcm.size();
        pcm.resize(oldSize + currentLength);
        std::memcpy(pcm.data() + oldSize, data, currentLength);
    }
    buffer->Unlock();
    buffer->Release();
    return true;
}

// Appends every sample in delivery order until the end of the stream; false on a failed read, on
// a read the reader flags as an error, and when the reads run past what the track can need.
bool ReadAllSamples(IMFSourceReader* reader, std::size_t readLimit, std::vector<uint8_t>& pcm)
{
    for (std::size_t reads = 0; reads < readLimit; ++reads) {
        DWORD streamFlags = 0;
        IMFSample* sample = nullptr;
        const HRESULT read = reader->ReadSample(kFirstAudioStream, 0, nullptr, &streamFlags, nullptr, &sample);
        if (FAILED(read) || (streamFlags & MF_SOURCE_READERF_ERROR) != 0) {
            if (sample != nullptr) {
                sample->Release();
            }
            return false;
        }
        if ((streamFlags & MF_SOURCE_READERF_ENDOFSTREAM) != 0) {
            if (sample != nullptr) {
                sample->Release();
            }
            return true;
        }
        if (sample != nullptr) {
            const bool appended = AppendSample(sample, pcm);
            sample->Release();
            if (!appended) {
                return false;
            }
        }
    }
    return false;
}

// Runs the reader over a stream that owns the track's bytes; Media Foundation is running on entry
// and shut down before return, whatever the result.
bool DecodeStream(IStream* stream, std::size_t trackBytes, std::vector<uint8_t>& pcm)
{
    IMFByteStream* byteStream = nullptr;
    const HRESULT wrapped = musicPlatform.createByteStream(stream, &byteStream);
    stream->Release();
    if (FAILED(wrapped) || byteStream == nullptr) {
        musicPlatform.shutdown();
        return false;
    }
    IMFSourceReader* reader = nullptr;
    const HRESULT opened = musicPlatform.createReader(byteStream, nullptr, &reader);
    byteStream->Release();
    if (FAILED(opened) || reader == nullptr) {
        musicPlatform.shutdown();
        return false;
    }
    bool decoded = RequestMusicFormat(reader);
    if (decoded) {
        pcm.clear();
        decoded = ReadAllSamples(reader, DecodeReadLimit(trackBytes), pcm);
    }
    reader->Release();
    musicPlatform.shutdown();
    return decoded;
}

}  // namespace

bool DecodeTrackBytes(const void* bytes, DWORD size, std::vector<uint8_t>& pcm)
{
    if (bytes == nullptr || size == 0) {
        return false;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) {
        return false;
    }
    void* copy = GlobalLock(block);
    if (copy == nullptr) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(block);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr) {
        GlobalFree(block);
        return false;
    }
    // From here the stream owns the block.
    if (FAILED(musicPlatform.startup(MF_VERSION, MFSTARTUP_FULL))) {
        stream->Release();
        return false;
    }
    return DecodeStream(stream, size, pcm);
}

bool DecodeTrackResource(HINSTANCE instance, WORD resourceId, std::vector<uint8_t>& pcm, Mp3Framing* framing)
{
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (resource == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(instance, resource);
    if (loaded == nullptr) {
        return false;
    }
    const DWORD size = SizeofResource(instance, resource);
    const void* bytes = LockResource(loaded);
    if (framing != nullptr) {
        *framing = ReadMp3Framing(static_cast<const uint8_t*>(bytes), bytes == nullptr ? 0 : size);
    }
    return DecodeTrackBytes(bytes, size, pcm);
}
