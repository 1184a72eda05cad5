#pragma once

#include <windows.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstdint>
#include <vector>

// Media Foundation's start, stop and reader creation, replaceable so that tests can count or
// refuse them, or stand a scripted reader in front of the real one.
struct MediaFoundationCalls {
    HRESULT(WINAPI* startup)(ULONG version, DWORD flags);
    HRESULT(WINAPI* shutdown)();
    HRESULT(WINAPI* createReader)(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader);
};

MediaFoundationCalls SystemMediaFoundationCalls();

// Decodes the RCDATA resource resourceId of instance into pcm as 16-bit stereo 44,100 Hz frames.
// False when the resource is missing or empty, or the bytes cannot be decoded to exactly that format.
// Media Foundation runs only inside the call.
bool DecodeTrackResource(HINSTANCE instance, WORD resourceId, std::vector<uint8_t>& pcm,
                         const MediaFoundationCalls& calls);

// The same for bytes already in memory; pcm is emptied before the first read.
bool DecodeTrackBytes(const void* bytes, DWORD size, std::vector<uint8_t>& pcm, const MediaFoundationCalls& calls);
