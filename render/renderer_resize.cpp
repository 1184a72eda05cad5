#include "app/intro_state.h"
#include "app/report_failure.h"
#include "render/back_buffer_view.h"
#include "render/creation_check.h"
#include "render/half_size.h"
#include "render/renderer.h"

bool ResizeRenderer(HWND window)
{
    RendererState& renderer = intro.renderer;
    // Size messages that arrive while the window is created and shown come before the renderer.
    if (!renderer.swapChain || !renderer.context || !renderer.device) return false;

    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;

    // A view still bound to the output stage keeps the buffer referenced, and the resize would fail.
    renderer.context->OMSetRenderTargets(0, nullptr, nullptr);
    ReleaseField(renderer.backBufferView);
    const HRESULT result = renderer.swapChain->ResizeBuffers(0, static_cast<UINT>(width), static_cast<UINT>(height),
                                                             DXGI_FORMAT_UNKNOWN, 0);
    if (FAILED(result)) {
        ReportFailure(L"ResizeBuffers", static_cast<uint32_t>(result));
        return false;
    }
    if (!CreateBackBufferView()) return false;

    intro.shell.clientWidth = width;
    intro.shell.clientHeight = height;
    const int halfWidth = HalfSize(width);
    const int halfHeight = HalfSize(height);
    CreateOffscreenTarget(halfWidth, halfHeight);
    renderer.offscreenWidth = halfWidth;
    renderer.offscreenHeight = halfHeight;
    return true;
}
