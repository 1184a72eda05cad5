// The bottom layer's Windows code: the intro's one state record and the failure report that every
// subsystem uses.
#include "core/failure_report.h"
#include "core/failure_text.h"
#include "core/intro_state.h"

IntroState intro;

namespace {

FailureSink failureSink = nullptr;

}  // namespace

void SetFailureSink(FailureSink sink)
{
    failureSink = sink;
}

void ReportFailure(const wchar_t* what, uint32_t code)
{
    // wchar_t is a UTF-16 unit on Windows, so the platform-free text rules apply unchanged.
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    wchar_t systemText[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, systemText,
                   static_cast<DWORD>(sizeof(systemText) / sizeof(systemText[0])), nullptr);
    systemText[511] = L'\0';

    const std::u16string text = FailureText(reinterpret_cast<const char16_t*>(what), code,
                                            reinterpret_cast<const char16_t*>(systemText));
    if (failureSink != nullptr) {
        failureSink(FailureReport{what, code, std::wstring(reinterpret_cast<const wchar_t*>(text.c_str()), text.size())});
    }
}

bool CheckCreated(HRESULT result, const void* object, const wchar_t* what)
{
    if (SUCCEEDED(result) && object) return true;
    ReportFailure(what, static_cast<uint32_t>(result));
    return false;
}

bool CreateImmutableImage(ID3D11Device* device, const void* pixels, int width, int height, const wchar_t* textureTag,
                          const wchar_t* viewTag, ID3D11Texture2D** texture, ID3D11ShaderResourceView** view)
{
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = static_cast<UINT>(width);
    desc.Height = static_cast<UINT>(height);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.Usage = D3D11_USAGE_IMMUTABLE;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    D3D11_SUBRESOURCE_DATA initialData = {};
    initialData.pSysMem = pixels;
    initialData.SysMemPitch = 4u * static_cast<UINT>(width);
    // The call is made before CheckCreated reads the pointer it fills.
    const HRESULT textureResult = device->CreateTexture2D(&desc, &initialData, texture);
    if (!CheckCreated(textureResult, *texture, textureTag)) {
        *texture = nullptr;
        return false;
    }

    D3D11_SHADER_RESOURCE_VIEW_DESC viewDesc = {};
    viewDesc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    viewDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    viewDesc.Texture2D.MostDetailedMip = 0;
    viewDesc.Texture2D.MipLevels = 1;
    const HRESULT viewResult = device->CreateShaderResourceView(*texture, &viewDesc, view);
    if (!CheckCreated(viewResult, *view, viewTag)) {
        *view = nullptr;
        ReleaseField(*texture);
        return false;
    }
    return true;
}
