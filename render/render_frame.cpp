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

void DrawScenePass()
{
    RendererState& renderer = intro.renderer;
    ID3D11DeviceContext* context = renderer.context;
    BeginPass(renderer.offscreenTargetView, renderer.offscreenWidth, renderer.offscreenHeight);
    context->VSSetShader(renderer.vertexShader, nullptr, 0);
    context->PSSetShader(renderer.scenePixelShader, nullptr, 0);
    context->PSSetSamplers(0, 1, &renderer.linearSampler);
    context->PSSetSamplers(1, 1, &renderer.maskBorderSampler);
    context->PSSetShaderResources(0, 1, &intro.scroller.maskView);
    BindConstants();
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->Draw(3, 0);
    ID3D11ShaderResourceView* none = nullptr;
    context->PSSetShaderResources(0, 1, &none);
}

void DrawCompositePass()
{
    RendererState& renderer = intro.renderer;
    ID3D11DeviceContext* context = renderer.context;
    // Binding the back buffer also takes the offscreen target off the output stage before it is read.
    BeginPass(renderer.backBufferView, intro.shell.clientWidth, intro.shell.clientHeight);
    context->VSSetShader(renderer.vertexShader, nullptr, 0);
    context->PSSetShader(renderer.compositePixelShader, nullptr, 0);
    context->PSSetSamplers(0, 1, &renderer.linearSampler);
    context->PSSetShaderResources(1, 1, &renderer.offscreenShaderView);
    BindConstants();
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->Draw(3, 0);
    // Unbound again so that the next scene pass can render into the offscreen target.
    ID3D11ShaderResourceView* none = nullptr;
    context->PSSetShaderResources(1, 1, &none);
}

void DrawEndPass()
{
    RendererState& renderer = intro.renderer;
    ID3D11DeviceContext* context = renderer.context;
    BeginPass(renderer.backBufferView, intro.shell.clientWidth, intro.shell.clientHeight);
    context->VSSetShader(renderer.vertexShader, nullptr, 0);
    context->PSSetShader(renderer.endPixelShader, nullptr, 0);
    context->PSSetSamplers(0, 1, &renderer.linearSampler);
    BindConstants();
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->Draw(3, 0);
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
