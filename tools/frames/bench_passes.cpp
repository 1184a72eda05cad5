#include "tools/frames/bench_passes.h"

#include <d3dcompiler.h>

#include "app/intro_state.h"
#include "render/scene_constants.h"
#include "render/shader_compile.h"
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

void BindCommon(ID3D11PixelShader* pixelShader)
{
    RendererState& renderer = intro.renderer;
    ID3D11DeviceContext* context = renderer.context;
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->VSSetShader(renderer.vertexShader, nullptr, 0);
    context->PSSetShader(pixelShader, nullptr, 0);
    context->PSSetSamplers(0, 1, &renderer.linearSampler);
    context->PSSetSamplers(1, 1, &renderer.maskBorderSampler);
    context->VSSetConstantBuffers(0, 1, &renderer.constantBuffer);
    context->PSSetConstantBuffers(0, 1, &renderer.constantBuffer);
}

void TimedDraw(PassTimer& timer, int pass)
{
    ID3D11DeviceContext* context = intro.renderer.context;
    timer.BeginPass(context, pass);
    context->Draw(3, 0);
    timer.EndPass(context, pass);
}

void SetShaderResource(UINT slot, ID3D11ShaderResourceView* view)
{
    intro.renderer.context->PSSetShaderResources(slot, 1, &view);
}

}  // namespace

ID3D11PixelShader* CreateFlatPixelShader(std::string* error)
{
    const ShaderProfiles profiles = ChooseShaderProfiles(intro.renderer.featureLevel);
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
    const int width = intro.shell.clientWidth;
    const int height = intro.shell.clientHeight;
    timer.BeginFrame(renderer.context);
    WriteBenchConstants(introTime);

    BeginTarget(renderer.offscreenTargetView, renderer.offscreenWidth, renderer.offscreenHeight);
    BindCommon(renderer.scenePixelShader);
    SetShaderResource(0, intro.scroller.maskView);
    TimedDraw(timer, kScenePass);
    SetShaderResource(0, nullptr);

    BeginTarget(renderer.backBufferView, width, height);
    BindCommon(renderer.compositePixelShader);
    SetShaderResource(1, renderer.offscreenShaderView);
    TimedDraw(timer, kCompositePass);
    SetShaderResource(1, nullptr);

    BeginTarget(renderer.offscreenTargetView, renderer.offscreenWidth, renderer.offscreenHeight);
    BindCommon(flatShader);
    TimedDraw(timer, kFlatHalfPass);

    BeginTarget(renderer.backBufferView, width, height);
    TimedDraw(timer, kFlatFullPass);

    WriteBenchConstants(endTime);
    BeginTarget(renderer.backBufferView, width, height);
    BindCommon(renderer.endPixelShader);
    TimedDraw(timer, kEndCardPass);
    timer.EndFrame(renderer.context);
}
