#pragma once

#include <windows.h>
#include <xaudio2.h>

#include <vector>

// Every buffer a source voice of a recording engine was given, with the real voice's answer.
struct SubmittedBuffer {
    XAUDIO2_BUFFER buffer;
    HRESULT result;
};
extern std::vector<SubmittedBuffer> submittedBuffers;

// An engine creation for the player's "XAudio2Create" entry: the real engine of xaudio2_9.dll
// behind a stand-in whose source voices stand in front of real ones and record what is submitted
// to them. Every other call goes to the real objects unchanged.
HRESULT WINAPI RecordingEngineCreation(IXAudio2** engine, UINT32 flags, UINT32 processor);
