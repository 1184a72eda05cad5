#pragma once

#include <windows.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <deque>

// What the scripted reader does for one ReadSample before handing reads to the real reader again.
enum class ReadStep {
    Forward,            // the real reader's answer
    Fail,               // E_FAIL with no sample
    Nothing,            // success with neither a sample nor the end flag
    SampleWithEnd,      // the real reader's next sample, delivered together with the end flag
    ErrorFlag,          // success with no sample and the reader's error flag
    NothingFromNowOn,   // Nothing for this read and every one after it
};

// Stands in front of a real source reader and follows a script of reads; every other call goes
// to the real reader unchanged.
class ScriptedReader final : public IMFSourceReader {
public:
    ScriptedReader(IMFSourceReader* real, std::deque<ReadStep> script);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetStreamSelection(DWORD stream, BOOL* selected) override;
    HRESULT STDMETHODCALLTYPE SetStreamSelection(DWORD stream, BOOL selected) override;
    HRESULT STDMETHODCALLTYPE GetNativeMediaType(DWORD stream, DWORD index, IMFMediaType** type) override;
    HRESULT STDMETHODCALLTYPE GetCurrentMediaType(DWORD stream, IMFMediaType** type) override;
    HRESULT STDMETHODCALLTYPE SetCurrentMediaType(DWORD stream, DWORD* reserved, IMFMediaType* type) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(REFGUID format, REFPROPVARIANT position) override;
    HRESULT STDMETHODCALLTYPE ReadSample(DWORD stream, DWORD control, DWORD* actualStream, DWORD* flags,
                                         LONGLONG* timestamp, IMFSample** sample) override;
    HRESULT STDMETHODCALLTYPE Flush(DWORD stream) override;
    HRESULT STDMETHODCALLTYPE GetServiceForStream(DWORD stream, REFGUID service, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetPresentationAttribute(DWORD stream, REFGUID attribute,
                                                       PROPVARIANT* value) override;

    // Silent frames delivered as the first sample and as the last one before the end, as a
    // decoder that keeps the encoder's delay and padding delivers them.
    DWORD leadFrames = 0;
    DWORD tailFrames = 0;

private:
    ~ScriptedReader();

    ULONG references_ = 1;
    IMFSourceReader* real_;
    std::deque<ReadStep> script_;
    bool endHeld_ = false;
};

// The script the next reader creation through ScriptedReaderCreation gets.
void SetReaderScript(std::deque<ReadStep> script);

// The silence around the track that the next reader creation through ScriptedReaderCreation adds.
void SetReaderSilence(DWORD leadFrames, DWORD tailFrames);

// A reader creation for the decoder's calls: the real reader behind a ScriptedReader.
HRESULT WINAPI ScriptedReaderCreation(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader);
