#include "app/intro_state.h"
#include "audio/music.h"
#include "render/end_card_close.h"
#include "render/frame_plan.h"
#include "render/renderer.h"
#include "render/scene_constants.h"
#include "scroller/scroller.h"

namespace {

constexpr float kClearColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

D3D11_VIEWPORT Viewport(int width, int height)
{
    D3D11_VIEWPORT viewport = {};
    viewport.Width = static_cast<float>(width);
    viewport.Height = static_cast<float>(height);
    viewport.MaxDepth = 1.0f;
    return viewport;
}

void WriteSceneConstants(float t)
{
    RendererState& renderer = intro.renderer;
    FrameInputs inputs;
    inputs.offscreenWidth = renderer.offscreenWidth;
    inputs.offscreenHeight = renderer.offscreenHeight;
    inputs.t = t;
    inputs.scrollOffset = intro.scroller.scrollOffset;
    inputs.maskWidth = intro.scroller.maskWidth;
    inputs.exitActive = intro.shell.exit.exitActive;
    inputs.exitStartTime = intro.shell.exit.exitStartTime;

    // A failed map leaves last frame's constants in place.
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (FAILED(renderer.context->Map(renderer.constantBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) return;
    FillSceneConstants(*static_cast<SceneConstants*>(mapped.pData), inputs);
    renderer.context->Unmap(renderer.constantBuffer, 0);
}

// Sets the viewport and makes target the only render target, cleared to opaque black.
void BeginPass(ID3D11RenderTargetView* target, int width, int height)
{
    ID3D11DeviceContext* context = intro.renderer.context;
    const D3D11_VIEWPORT viewport = Viewport(width, height);
    context->RSSetViewports(1, &viewport);
    context->OMSetRenderTargets(1, &target, nullptr);
    context->ClearRenderTargetView(target, kClearColour);
}

void BindConstants()
{
    RendererState& renderer = intro.renderer;
    renderer.context->VSSetConstantBuffers(0, 1, &renderer.constantBuffer);
    renderer.context->PSSetConstantBuffers(0, 1, &renderer.constantBuffer);
}

// Every pass runs the shared vertex shader with its own pixel shader and the clamp sampler in s0.
void UsePixelShader(ID3D11PixelShader* pixelShader)
{
    RendererState& renderer = intro.renderer;
    renderer.context->VSSetShader(renderer.vertexShader, nullptr, 0);
    renderer.context->PSSetShader(pixelShader, nullptr, 0);
    renderer.context->PSSetSamplers(0, 1, &renderer.linearSampler);
}

// The frame's constants to both stages, then the one triangle that covers the viewport.
void DrawFullScreenTriangle()
{
    ID3D11DeviceContext* context = intro.renderer.context;
    BindConstants();
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->Draw(3, 0);
}

void UnbindShaderResource(UINT slot)
{
    ID3D11ShaderResourceView* none = nullptr;
    intro.renderer.context->PSSetShaderResources(slot, 1, &none);
}

void DrawScenePass()
{
    RendererState& renderer = intro.renderer;
    BeginPass(renderer.offscreenTargetView, renderer.offscreenWidth, renderer.offscreenHeight);
    UsePixelShader(renderer.scenePixelShader);
    renderer.context->PSSetSamplers(1, 1, &renderer.maskBorderSampler);
    renderer.context->PSSetShaderResources(0, 1, &intro.scroller.maskView);
    DrawFullScreenTriangle();
    UnbindShaderResource(0);
}

void DrawCompositePass()
{
    RendererState& renderer = intro.renderer;
    // Binding the back buffer also takes the offscreen target off the output stage before it is read.
    BeginPass(renderer.backBufferView, intro.shell.clientWidth, intro.shell.clientHeight);
    UsePixelShader(renderer.compositePixelShader);
    renderer.context->PSSetShaderResources(1, 1, &renderer.offscreenShaderView);
    DrawFullScreenTriangle();
    // Unbound again so that the next scene pass can render into the offscreen target.
    UnbindShaderResource(1);
}

void DrawEndPass()
{
    RendererState& renderer = intro.renderer;
    BeginPass(renderer.backBufferView, intro.shell.clientWidth, intro.shell.clientHeight);
    UsePixelShader(renderer.endPixelShader);
    DrawFullScreenTriangle();
}

}  // namespace

void DrawFrame(float t)
{
    RendererState& renderer = intro.renderer;
    const ExitState& exit = intro.shell.exit;
    if (!exit.exitActive) UpdateScroller(t);
    WriteSceneConstants(t);

    const FramePlan plan =
        PlanFrame(exit.exitActive, renderer.offscreenTargetView != nullptr, renderer.backBufferView != nullptr);
    if (!exit.exitActive) {
        if (plan.scenePass) DrawScenePass();
        if (plan.compositePass) DrawCompositePass();
        return;
    }

    UpdateMusicFade(ExitSeconds(t, exit.exitStartTime));
    if (plan.endPass) DrawEndPass();
}

void RenderFrame(float t)
{
    DrawFrame(t);
    PresentWithSignature();
    const ExitState& exit = intro.shell.exit;
    if (!exit.exitActive) return;
    // Destroying the window posts the quit message, so no further frame is drawn.
    RendererState& renderer = intro.renderer;
    if (ShouldCloseWindow(renderer.windowDestroyed, ExitSeconds(t, exit.exitStartTime))) {
        renderer.windowDestroyed = true;
        DestroyWindow(intro.shell.mainWindow);
    }
}
