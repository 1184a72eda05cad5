#include "tools/frames/frame_capture.h"

#include <cstring>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "scroller/scroller.h"
#include "tools/frames/call_failure.h"

namespace {

constexpr float kStepsPerSecond = 60.0f;

bool Check(HRESULT result, const char* call, std::string* error)
{
    if (SUCCEEDED(result)) return true;
    *error = CallFailure(call, result);
    return false;
}

}  // namespace

void PrepareFrameState(const FrameTime& time)
{
    static_cast<ScrollMotion&>(intro.scroller) = ScrollMotion();
    intro.shell.exit = ExitState();
    const float scrollerEnd = time.exitActive ? time.exitStartTime : time.t;
    for (int step = 0;; ++step) {
        const float stepTime = static_cast<float>(step) / kStepsPerSecond;
        if (stepTime >= scrollerEnd) break;
        UpdateScroller(stepTime);
    }
    intro.shell.exit.exitActive = time.exitActive;
    intro.shell.exit.exitStartTime = time.exitStartTime;
}

bool ReadBackBuffer(RgbaImage* image, std::string* error)
{
    RendererState& renderer = intro.renderer;
    ID3D11Texture2D* backBuffer = nullptr;
    if (!Check(renderer.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&backBuffer)),
               "GetBuffer", error)) {
        return false;
    }
    D3D11_TEXTURE2D_DESC desc = {};
    backBuffer->GetDesc(&desc);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    ID3D11Texture2D* staging = nullptr;
    const bool created = Check(renderer.device->CreateTexture2D(&desc, nullptr, &staging), "CreateTexture2D(staging)",
                               error);
    if (created) renderer.context->CopyResource(staging, backBuffer);
    backBuffer->Release();
    if (!created) return false;

    D3D11_MAPPED_SUBRESOURCE mapped = {};
    const bool mappedOk = Check(renderer.context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped), "Map(staging)", error);
    if (mappedOk) {
        image->width = static_cast<int>(desc.Width);
        image->height = static_cast<int>(desc.Height);
        const size_t rowBytes = static_cast<size_t>(desc.Width) * 4;
        image->rgba.resize(rowBytes * desc.Height);
        for (UINT row = 0; row < desc.Height; ++row) {
            std::memcpy(&image->rgba[row * rowBytes], static_cast<const uint8_t*>(mapped.pData) + row * mapped.RowPitch,
                        rowBytes);
        }
        renderer.context->Unmap(staging, 0);
    }
    staging->Release();
    return mappedOk;
}

bool CaptureFrame(const FrameTime& time, RgbaImage* image, std::string* error)
{
    PrepareFrameState(time);
    DrawFrame(time.t);
    return ReadBackBuffer(image, error);
}
