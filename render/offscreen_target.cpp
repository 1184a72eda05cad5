#include "app/intro_state.h"
#include "render/creation_check.h"
#include "render/renderer.h"

namespace {

D3D11_TEXTURE2D_DESC OffscreenDescription(int width, int height)
{
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = static_cast<UINT>(width);
    desc.Height = static_cast<UINT>(height);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
    return desc;
}

}  // namespace

void CreateOffscreenTarget(int width, int height)
{
    RendererState& renderer = intro.renderer;
    ReleaseField(renderer.offscreenShaderView);
    ReleaseField(renderer.offscreenTargetView);
    ReleaseField(renderer.offscreenTexture);
    if (!renderer.device || width <= 0 || height <= 0) return;

    const D3D11_TEXTURE2D_DESC desc = OffscreenDescription(width, height);
    ID3D11Texture2D* texture = nullptr;
    HRESULT result = renderer.device->CreateTexture2D(&desc, nullptr, &texture);
    if (!CheckCreated(result, texture, L"CreateTexture2D(RT)")) return;

    ID3D11RenderTargetView* targetView = nullptr;
    result = renderer.device->CreateRenderTargetView(texture, nullptr, &targetView);
    if (!CheckCreated(result, targetView, L"CreateRenderTargetView")) {
        texture->Release();
        return;
    }

    ID3D11ShaderResourceView* shaderView = nullptr;
    result = renderer.device->CreateShaderResourceView(texture, nullptr, &shaderView);
    if (!CheckCreated(result, shaderView, L"CreateShaderResourceView")) {
        targetView->Release();
        texture->Release();
        return;
    }

    // The three are stored together, so they are either all present or all absent.
    renderer.offscreenTexture = texture;
    renderer.offscreenTargetView = targetView;
    renderer.offscreenShaderView = shaderView;
}
