#include "tools/frames/bench_passes.h"

#include <d3dcompiler.h>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "tools/frames/call_failure.h"

namespace {

const char kFlatSource[] =
    "float4 FlatPS(float4 pos : SV_Position) : SV_Target { return float4(0.25, 0.5, 0.75, 1.0); }\n";

constexpr float kClearColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

void BeginTarget(ID3D11RenderTargetView* target, int width, int height)
{
    ID3D11DeviceContext* context = intro.renderer.context;
    D3D11_VIEWPORT viewport = {};
    viewport.Width = static_cast<float>(width);
    viewport.Height = static_cast<float>(height);
    viewport.MaxDepth = 1.0f;
    context->RSSetViewports(1, &viewport);
    context->OMSetRenderTargets(1, &target, nullptr);
    context->ClearRenderTargetView(target, kClearColour);
}

void TimedDraw(PassTimer& timer, int pass)
{
    ID3D11DeviceContext* context = intro.renderer.context;
    timer.BeginPass(context, pass);
    context->Draw(3, 0);
    timer.EndPass(context, pass);
}

}  // namespace

ID3D11PixelShader* CreateFlatPixelShader(std::string* error)
{
    const ShaderProfiles profiles = ChooseShaderProfiles(static_cast<uint32_t>(intro.renderer.featureLevel));
    ID3DBlob* code = nullptr;
    ID3DBlob* messages = nullptr;
    HRESULT result = D3DCompile(kFlatSource, sizeof(kFlatSource) - 1, nullptr, nullptr, nullptr, "FlatPS",
                                profiles.pixel, 0, 0, &code, &messages);
    if (messages) messages->Release();
    ID3D11PixelShader* shader = nullptr;
    if (SUCCEEDED(result) && code) {
        result = intro.renderer.device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr,
                                                          &shader);
    }
    if (code) code->Release();
    if (!shader) *error = CallFailure("the flat-colour shader", result);
    return shader;
}

void WriteBenchConstants(const FrameTime& time)
{
    RendererState& renderer = intro.renderer;
    FrameInputs inputs;
    inputs.offscreenWidth = renderer.offscreenWidth;
    inputs.offscreenHeight = renderer.offscreenHeight;
    inputs.t = time.t;
    inputs.scrollOffset = intro.scroller.scrollOffset;
    inputs.maskWidth = intro.scroller.maskWidth;
    inputs.exitActive = time.exitActive;
    inputs.exitStartTime = time.exitStartTime;
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (FAILED(renderer.context->Map(renderer.constantBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) return;
    FillSceneConstants(*static_cast<SceneConstants*>(mapped.pData), inputs);
    renderer.context->Unmap(renderer.constantBuffer, 0);
}

void DrawTimedFrame(PassTimer& timer, ID3D11PixelShader* flatShader, const FrameTime& introTime,
                    const FrameTime& endTime)
{
    RendererState& renderer = intro.renderer;
    timer.BeginFrame(renderer.context);
    for (int pass = 0; pass < kPassCount; ++pass) {
        WriteBenchConstants(kPasses[pass].endCard ? endTime : introTime);
        BindPass(pass);
        TimedDraw(timer, pass);
        UnbindPass(pass);
    }

    // The flat passes keep the last pass's binding and swap in their own shader and target.
    renderer.context->PSSetShader(flatShader, nullptr, 0);
    BeginTarget(renderer.offscreenTargetView, renderer.offscreenWidth, renderer.offscreenHeight);
    TimedDraw(timer, kFlatHalfSlot);
    BeginTarget(renderer.backBufferView, intro.shell.clientWidth, intro.shell.clientHeight);
    TimedDraw(timer, kFlatFullSlot);
    timer.EndFrame(renderer.context);
}
