#include "tools/frames/png_file.h"

#include <windows.h>
#include <wincodec.h>

#include "tools/frames/call_failure.h"

namespace {

// COM for the calling thread for as long as it lives; a thread already in another mode is used as it is.
class ComSession {
public:
    ComSession() : initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComSession()
    {
        if (initialised) CoUninitialize();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

private:
    bool initialised;
};

// Releases the held interface when it goes.
template <typename T>
class Held {
public:
    Held() = default;
    ~Held()
    {
        if (object) object->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T** Out() { return &object; }
    T* operator->() const { return object; }
    T* Get() const { return object; }

private:
    T* object = nullptr;
};

bool Check(HRESULT result, const char* call, std::string* error)
{
    if (SUCCEEDED(result)) return true;
    *error = CallFailure(call, result);
    return false;
}

bool CreateFactory(Held<IWICImagingFactory>& factory, std::string* error)
{
    return Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.Out())),
                 "CoCreateInstance(WICImagingFactory)", error);
}

}  // namespace

bool WritePng(const std::wstring& path, const RgbaImage& image, std::string* error)
{
    const size_t stride = static_cast<size_t>(image.width) * 3;
    std::vector<BYTE> bgr(stride * static_cast<size_t>(image.height));
    for (size_t pixel = 0; pixel < bgr.size() / 3; ++pixel) {
        bgr[pixel * 3 + 0] = image.rgba[pixel * 4 + 2];
        bgr[pixel * 3 + 1] = image.rgba[pixel * 4 + 1];
        bgr[pixel * 3 + 2] = image.rgba[pixel * 4 + 0];
    }

    ComSession com;
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    Held<IPropertyBag2> properties;
    if (!CreateFactory(factory, error) || !Check(factory->CreateStream(stream.Out()), "CreateStream", error) ||
        !Check(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE), "InitializeFromFilename", error) ||
        !Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()), "CreateEncoder(png)", error) ||
        !Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder::Initialize", error) ||
        !Check(encoder->CreateNewFrame(frame.Out(), properties.Out()), "CreateNewFrame", error) ||
        !Check(frame->Initialize(properties.Get()), "IWICBitmapFrameEncode::Initialize", error) ||
        !Check(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height)), "SetSize", error)) {
        return false;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (!Check(frame->SetPixelFormat(&format), "SetPixelFormat", error)) return false;
    if (format != GUID_WICPixelFormat24bppBGR) {
        *error = "the PNG encoder does not take 24-bit colour";
        return false;
    }
    return Check(frame->WritePixels(static_cast<UINT>(image.height), static_cast<UINT>(stride),
                                    static_cast<UINT>(bgr.size()), bgr.data()),
                 "WritePixels", error) &&
           Check(frame->Commit(), "IWICBitmapFrameEncode::Commit", error) &&
           Check(encoder->Commit(), "IWICBitmapEncoder::Commit", error);
}

bool ReadPng(const std::wstring& path, RgbaImage* image, std::string* error)
{
    ComSession com;
    Held<IWICImagingFactory> factory;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (!CreateFactory(factory, error) ||
        !Check(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.Out()),
               "CreateDecoderFromFilename", error) ||
        !Check(decoder->GetFrame(0, frame.Out()), "GetFrame", error) ||
        !Check(factory->CreateFormatConverter(converter.Out()), "CreateFormatConverter", error) ||
        !Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom),
               "IWICFormatConverter::Initialize", error) ||
        !Check(converter->GetSize(&width, &height), "GetSize", error)) {
        return false;
    }
    std::vector<BYTE> bgra(static_cast<size_t>(width) * height * 4);
    if (!Check(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgra.size()), bgra.data()), "CopyPixels",
               error)) {
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->rgba.resize(bgra.size());
    for (size_t index = 0; index < bgra.size(); index += 4) {
        image->rgba[index + 0] = bgra[index + 2];
        image->rgba[index + 1] = bgra[index + 1];
        image->rgba[index + 2] = bgra[index + 0];
        image->rgba[index + 3] = bgra[index + 3];
    }
    return true;
}

std::wstring WidePath(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), wide.data(), length);
    return wide;
}
