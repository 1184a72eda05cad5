#pragma once

#include <windows.h>
#include <d3d11.h>

// The platform calls of BuildScrollerMask that can fail; tests swap single entries to make them fail.
struct MaskCalls {
    HDC (*createCompatibleDC)(HDC dc);
    HBITMAP (*createDIBSection)(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset);
    HRESULT (*createTexture2D)(ID3D11Device* device, const D3D11_TEXTURE2D_DESC* desc,
                               const D3D11_SUBRESOURCE_DATA* initialData, ID3D11Texture2D** texture);
    HRESULT (*createShaderResourceView)(ID3D11Device* device, ID3D11Resource* resource,
                                        const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                        ID3D11ShaderResourceView** view);
};

// The real calls.
MaskCalls PlatformMaskCalls();

// The calls BuildScrollerMask makes; the real ones unless a test has replaced them.
extern MaskCalls maskCalls;
