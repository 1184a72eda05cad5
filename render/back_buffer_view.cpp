#include "render/back_buffer_view.h"

#include "app/intro_state.h"
#include "render/creation_check.h"

bool CreateBackBufferView()
{
    RendererState& renderer = intro.renderer;
    ID3D11Texture2D* buffer = nullptr;
    const HRESULT bufferResult =
        renderer.swapChain->GetBuffer(0, IID_ID3D11Texture2D, reinterpret_cast<void**>(&buffer));
    if (!CheckCreated(bufferResult, buffer, L"SwapChain::GetBuffer")) return false;

    const HRESULT viewResult = renderer.device->CreateRenderTargetView(buffer, nullptr, &renderer.backBufferView);
    buffer->Release();
    return CheckCreated(viewResult, renderer.backBufferView, L"CreateRenderTargetView(backbuffer)");
}
