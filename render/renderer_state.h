#pragma once

#include <d3d11.h>
#include <dxgi.h>

// The renderer's objects and sizes: one counted reference each, null until created.
struct RendererState {
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain* swapChain = nullptr;
    D3D_FEATURE_LEVEL featureLevel = static_cast<D3D_FEATURE_LEVEL>(0);
    ID3D11RenderTargetView* backBufferView = nullptr;
    ID3D11SamplerState* linearSampler = nullptr;
    ID3D11SamplerState* maskBorderSampler = nullptr;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* scenePixelShader = nullptr;
    ID3D11PixelShader* compositePixelShader = nullptr;
    ID3D11PixelShader* endPixelShader = nullptr;
    ID3D11Buffer* constantBuffer = nullptr;

    ID3D11Texture2D* offscreenTexture = nullptr;
    ID3D11RenderTargetView* offscreenTargetView = nullptr;
    ID3D11ShaderResourceView* offscreenShaderView = nullptr;
    int offscreenWidth = 0;
    int offscreenHeight = 0;

    bool windowDestroyed = false;
};
