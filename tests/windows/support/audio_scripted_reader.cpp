#include "support/audio_scripted_reader.h"

#include <utility>

#include <mfapi.h>

namespace {

std::deque<ReadStep> nextScript;
DWORD nextLeadFrames = 0;
DWORD nextTailFrames = 0;

// A sample of frames silent 16-bit stereo frames; frames is 0 afterwards.
HRESULT DeliverSilence(DWORD* frames, DWORD* flags, IMFSample** sample)
{
    const DWORD bytes = *frames * 4;
    *frames = 0;
    *flags = 0;
    *sample = nullptr;
    IMFMediaBuffer* buffer = nullptr;
    BYTE* data = nullptr;
    if (FAILED(MFCreateMemoryBuffer(bytes, &buffer)) || FAILED(buffer->Lock(&data, nullptr, nullptr))) return E_FAIL;
    ZeroMemory(data, bytes);
    buffer->Unlock();
    buffer->SetCurrentLength(bytes);
    HRESULT made = MFCreateSample(sample);
    if (SUCCEEDED(made)) made = (*sample)->AddBuffer(buffer);
    buffer->Release();
    return made;
}

}  // namespace

ScriptedReader::ScriptedReader(IMFSourceReader* real, std::deque<ReadStep> script)
    : real_(real), script_(std::move(script))
{
}

ScriptedReader::~ScriptedReader()
{
    real_->Release();
}

HRESULT ScriptedReader::QueryInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMFSourceReader)) {
        *object = static_cast<IMFSourceReader*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ScriptedReader::AddRef()
{
    return ++references_;
}

ULONG ScriptedReader::Release()
{
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ScriptedReader::GetStreamSelection(DWORD stream, BOOL* selected)
{
    return real_->GetStreamSelection(stream, selected);
}

HRESULT ScriptedReader::SetStreamSelection(DWORD stream, BOOL selected)
{
    return real_->SetStreamSelection(stream, selected);
}

HRESULT ScriptedReader::GetNativeMediaType(DWORD stream, DWORD index, IMFMediaType** type)
{
    return real_->GetNativeMediaType(stream, index, type);
}

HRESULT ScriptedReader::GetCurrentMediaType(DWORD stream, IMFMediaType** type)
{
    return real_->GetCurrentMediaType(stream, type);
}

HRESULT ScriptedReader::SetCurrentMediaType(DWORD stream, DWORD* reserved, IMFMediaType* type)
{
    return real_->SetCurrentMediaType(stream, reserved, type);
}

HRESULT ScriptedReader::SetCurrentPosition(REFGUID format, REFPROPVARIANT position)
{
    return real_->SetCurrentPosition(format, position);
}

HRESULT ScriptedReader::ReadSample(DWORD stream, DWORD control, DWORD* actualStream, DWORD* flags,
                                   LONGLONG* timestamp, IMFSample** sample)
{
    if (leadFrames > 0) return DeliverSilence(&leadFrames, flags, sample);
    if (endHeld_) {
        *flags = MF_SOURCE_READERF_ENDOFSTREAM;
        *sample = nullptr;
        return S_OK;
    }
    const ReadStep step = script_.empty() ? ReadStep::Forward : script_.front();
    if (!script_.empty() && step != ReadStep::NothingFromNowOn) {
        script_.pop_front();
    }
    switch (step) {
    case ReadStep::Fail:
        return E_FAIL;
    case ReadStep::ErrorFlag:
        *flags = MF_SOURCE_READERF_ERROR;
        *sample = nullptr;
        return S_OK;
    case ReadStep::Nothing:
    case ReadStep::NothingFromNowOn:
        *flags = 0;
        *sample = nullptr;
        return S_OK;
    case ReadStep::SampleWithEnd: {
        const HRESULT read = real_->ReadSample(stream, control, actualStream, flags, timestamp, sample);
        *flags |= MF_SOURCE_READERF_ENDOFSTREAM;
        return read;
    }
    case ReadStep::Forward:
        break;
    }
    const HRESULT read = real_->ReadSample(stream, control, actualStream, flags, timestamp, sample);
    if (SUCCEEDED(read) && (*flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0 && tailFrames > 0) {
        if (*sample != nullptr) (*sample)->Release();
        endHeld_ = true;
        return DeliverSilence(&tailFrames, flags, sample);
    }
    return read;
}

HRESULT ScriptedReader::Flush(DWORD stream)
{
    return real_->Flush(stream);
}

HRESULT ScriptedReader::GetServiceForStream(DWORD stream, REFGUID service, REFIID iid, void** object)
{
    return real_->GetServiceForStream(stream, service, iid, object);
}

HRESULT ScriptedReader::GetPresentationAttribute(DWORD stream, REFGUID attribute, PROPVARIANT* value)
{
    return real_->GetPresentationAttribute(stream, attribute, value);
}

void SetReaderScript(std::deque<ReadStep> script)
{
    nextScript = std::move(script);
}

void SetReaderSilence(DWORD leadFrames, DWORD tailFrames)
{
    nextLeadFrames = leadFrames;
    nextTailFrames = tailFrames;
}

HRESULT WINAPI ScriptedReaderCreation(IMFByteStream* byteStream, IMFAttributes* attributes, IMFSourceReader** reader)
{
    IMFSourceReader* real = nullptr;
    const HRESULT created = MFCreateSourceReaderFromByteStream(byteStream, attributes, &real);
    if (FAILED(created)) {
        return created;
    }
    auto* scripted = new ScriptedReader(real, std::move(nextScript));
    scripted->leadFrames = nextLeadFrames;
    scripted->tailFrames = nextTailFrames;
    nextScript.clear();
    nextLeadFrames = 0;
    nextTailFrames = 0;
    *reader = scripted;
    return S_OK;
}
