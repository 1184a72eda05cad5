#include "scroller/mask_calls.h"

namespace {

HDC CreateCompatibleDCCall(HDC dc)
{
    return CreateCompatibleDC(dc);
}

HBITMAP CreateDIBSectionCall(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    return CreateDIBSection(dc, info, usage, bits, section, offset);
}

HRESULT CreateTexture2DCall(ID3D11Device* device, const D3D11_TEXTURE2D_DESC* desc,
                            const D3D11_SUBRESOURCE_DATA* initialData, ID3D11Texture2D** texture)
{
    return device->CreateTexture2D(desc, initialData, texture);
}

HRESULT CreateShaderResourceViewCall(ID3D11Device* device, ID3D11Resource* resource,
                                     const D3D11_SHADER_RESOURCE_VIEW_DESC* desc, ID3D11ShaderResourceView** view)
{
    return device->CreateShaderResourceView(resource, desc, view);
}

}  // namespace

MaskCalls PlatformMaskCalls()
{
    return MaskCalls{CreateCompatibleDCCall, CreateDIBSectionCall, CreateTexture2DCall, CreateShaderResourceViewCall};
}

MaskCalls maskCalls = PlatformMaskCalls();
