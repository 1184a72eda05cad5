// One frame: the scroller step, the constants, the passes of the pass table that the frame plan
// runs, then the signature, Present and, ten seconds after Escape, the window's close.
#include "audio/music.h"
#include "core/intro_state.h"
#include "render/frame_rules.h"
#include "render/renderer.h"
#include "scroller/scroller.h"

namespace {

constexpr float kClearColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// Shader-resource slots: the scroller mask in t0 (read by the scene pass through the border
// sampler in s1), the offscreen picture in t1 (read by the composite pass).
constexpr UINT kMaskSlot = 0;
constexpr UINT kOffscreenSlot = 1;
// The signature's coverage, read by its own shader over the finished picture.
constexpr UINT kSignatureSlot = 2;

// The frames a swap chain lets the program present ahead of the display: DXGI's default latency.
constexpr int kQueuedFrames = 3;

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

ID3D11RenderTargetView* PassTargetView(int pass)
{
    const RendererState& renderer = intro.renderer;
    return kPasses[pass].target == PassTarget::Offscreen ? renderer.offscreenTargetView : renderer.backBufferView;
}

void SetShaderResource(UINT slot, ID3D11ShaderResourceView* view)
{
    intro.renderer.context->PSSetShaderResources(slot, 1, &view);
}

}  // namespace

void BindPass(int pass)
{
    RendererState& renderer = intro.renderer;
    ID3D11DeviceContext* context = renderer.context;
    // The offscreen target's size is kept beside it, so a pass draws at the size its target has.
    const bool offscreen = kPasses[pass].target == PassTarget::Offscreen;
    D3D11_VIEWPORT viewport = {};
    viewport.Width = static_cast<float>(offscreen ? renderer.offscreenWidth : intro.shell.clientWidth);
    viewport.Height = static_cast<float>(offscreen ? renderer.offscreenHeight : intro.shell.clientHeight);
    viewport.MaxDepth = 1.0f;
    context->RSSetViewports(1, &viewport);
    // Binding the back buffer also takes the offscreen target off the output stage before it is read.
    ID3D11RenderTargetView* target = PassTargetView(pass);
    context->OMSetRenderTargets(1, &target, nullptr);
    context->ClearRenderTargetView(target, kClearColour);

    context->VSSetShader(renderer.vertexShader, nullptr, 0);
    context->PSSetShader(renderer.pixelShaders[pass], nullptr, 0);
    context->PSSetSamplers(0, 1, &renderer.linearSampler);
    if (pass == kScenePass) {
        context->PSSetSamplers(1, 1, &renderer.maskBorderSampler);
        SetShaderResource(kMaskSlot, intro.scroller.maskView);
    } else if (pass == kCompositePass) {
        SetShaderResource(kOffscreenSlot, renderer.offscreenShaderView);
    }
    context->VSSetConstantBuffers(0, 1, &renderer.constantBuffer);
    context->PSSetConstantBuffers(0, 1, &renderer.constantBuffer);
    // D3D11 leaves the topology undefined until it is set.
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}

void UnbindPass(int pass)
{
    // The offscreen picture is unbound so that the next scene pass can render into it.
    if (pass == kScenePass) SetShaderResource(kMaskSlot, nullptr);
    if (pass == kCompositePass) SetShaderResource(kOffscreenSlot, nullptr);
}

namespace {

void DrawPassIntoOnePixel(int pass)
{
    if (!PassTargetView(pass) || !intro.renderer.pixelShaders[pass]) return;
    D3D11_VIEWPORT pixel = {};
    pixel.Width = 1.0f;
    pixel.Height = 1.0f;
    pixel.MaxDepth = 1.0f;
    BindPass(pass);
    intro.renderer.context->RSSetViewports(1, &pixel);
    intro.renderer.context->Draw(3, 0);
    UnbindPass(pass);
}

// How long start-up waits for the warm-up draws: a driver that has not drawn one pixel per pass by
// then is stuck, and the show starts regardless.
constexpr DWORD kWarmWaitMilliseconds = 20000;

// Waits until the device has carried out everything submitted so far, at most the limit. Drivers
// that compile a pipeline only when its first draw runs (DXVK, wined3d) do that work on the queue
// that presents too: not waited for, it holds the first frames back, and the loop clock, already
// running, skips the show's opening.
void AwaitDraws()
{
    RendererState& renderer = intro.renderer;
    D3D11_QUERY_DESC desc = {};
    desc.Query = D3D11_QUERY_EVENT;
    ID3D11Query* done = nullptr;
    if (FAILED(renderer.device->CreateQuery(&desc, &done)) || !done) return;
    renderer.context->End(done);
    renderer.context->Flush();
    const ULONGLONG start = GetTickCount64();
    BOOL finished = FALSE;
    while (renderer.context->GetData(done, &finished, sizeof(finished), 0) == S_FALSE &&
           GetTickCount64() - start < kWarmWaitMilliseconds) {
        Sleep(1);
    }
    done->Release();
}

}  // namespace

void WarmPasses()
{
    if (!intro.scroller.maskView) return;
    for (int pass = 0; pass < kPassCount; ++pass) DrawPassIntoOnePixel(pass);
    // The signature is drawn into every frame; its pipeline is made now with the others.
    DrawSignature();
    // Every frame binds what it draws with; holding nothing here lets each object go when released.
    intro.renderer.context->ClearState();
    AwaitDraws();
}

void WarmPass(int pass)
{
    if (!intro.scroller.maskView) return;
    DrawPassIntoOnePixel(pass);
    intro.renderer.context->ClearState();
}

namespace {

// The show's clock-driven steps: before Escape the scroller moves, after it the music fades.
void StepShow(float t)
{
    const ExitState& exit = intro.shell.exit;
    if (!exit.exitActive) {
        UpdateScroller(t);
    } else {
        UpdateMusicFade(ExitSeconds(t, exit.exitStartTime));
    }
}

// Destroying the window posts the quit message, so no further frame is drawn.
void CloseWhenOver(float t)
{
    const ExitState& exit = intro.shell.exit;
    if (!exit.exitActive) return;
    RendererState& renderer = intro.renderer;
    if (ShouldCloseWindow(renderer.windowDestroyed, ExitSeconds(t, exit.exitStartTime))) {
        renderer.windowDestroyed = true;
        DestroyWindow(intro.shell.mainWindow);
    }
}

}  // namespace

void DrawFrame(float t, const PassWatch* watch)
{
    RendererState& renderer = intro.renderer;
    StepShow(t);
    WriteSceneConstants(t);

    const FramePlan plan = PlanFrame(intro.shell.exit.exitActive, renderer.offscreenTargetView != nullptr,
                                     renderer.backBufferView != nullptr);
    for (int pass = 0; pass < kPassCount; ++pass) {
        if (!plan.run[pass]) continue;
        BindPass(pass);
        if (watch) watch->before(pass, watch->context);
        // One triangle covers the viewport.
        renderer.context->Draw(3, 0);
        if (watch) watch->after(pass, watch->context);
        UnbindPass(pass);
    }
}

void DrawImage(ID3D11ShaderResourceView* image, int left, int top, int width, int height, ID3D11BlendState* blend)
{
    RendererState& renderer = intro.renderer;
    if (!renderer.backBufferView || !image || !renderer.signaturePixelShader) return;
    ID3D11DeviceContext* context = renderer.context;
    // The viewport covers the image's rectangle, so the one triangle draws nothing else; the back
    // buffer clips what lies past its edges.
    D3D11_VIEWPORT viewport = {};
    viewport.TopLeftX = static_cast<float>(left);
    viewport.TopLeftY = static_cast<float>(top);
    viewport.Width = static_cast<float>(width);
    viewport.Height = static_cast<float>(height);
    viewport.MaxDepth = 1.0f;
    context->RSSetViewports(1, &viewport);
    context->OMSetRenderTargets(1, &renderer.backBufferView, nullptr);
    context->OMSetBlendState(blend, nullptr, 0xFFFFFFFFu);
    context->VSSetShader(renderer.vertexShader, nullptr, 0);
    context->PSSetShader(renderer.signaturePixelShader, nullptr, 0);
    SetShaderResource(kSignatureSlot, image);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->Draw(3, 0);
    SetShaderResource(kSignatureSlot, nullptr);
    // The passes draw with the default blend.
    context->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFFu);
}

void DrawSignature()
{
    const RendererState& renderer = intro.renderer;
    if (!renderer.signatureBlend) return;
    const SignatureBox box = PlaceSignature(intro.shell.clientHeight, renderer.signatureWidth - 2 * kSignatureMargin,
                                            renderer.signatureHeight - 2 * kSignatureMargin);
    DrawImage(renderer.signatureView, box.left, box.top, box.width, box.height, renderer.signatureBlend);
}

bool PresentWithSignature()
{
    // The signature is drawn into the picture itself, so every presented frame carries it, however
    // the picture reaches the screen.
    DrawSignature();
    return PresentFrame();
}

bool PresentFrame()
{
    const HRESULT presented = intro.renderer.swapChain->Present(1, 0);
    if (IsDeviceLost(static_cast<uint32_t>(presented))) {
        RecoverRenderer();
        return false;
    }
    // An occluded window's Present shows nothing and returns at once, without the vertical blank.
    if (presented == DXGI_STATUS_OCCLUDED) {
        intro.renderer.occluded = true;
        return false;
    }
    return true;
}

bool ProbeOcclusion()
{
    RendererState& renderer = intro.renderer;
    renderer.occluded = renderer.occluded && renderer.swapChain &&
                        renderer.swapChain->Present(0, DXGI_PRESENT_TEST) == DXGI_STATUS_OCCLUDED;
    return renderer.occluded;
}

void RenderFrame(float t)
{
    // After a recovery that could not make a new device there is nothing to draw with.
    if (!intro.renderer.swapChain) return;
    // An end-card frame needs the end card's shader now.
    const bool endCard = intro.shell.exit.exitActive;
    if (endCard && !FinishEndCard(true)) return;
    DrawFrame(t);
    if (PresentWithSignature()) {
        // Tools that watch the screen read the loop time of the frame on it, in milliseconds; 0 is
        // kept for "no frame yet", so the first frame counts as at least 1.
        const LONG_PTR stamp = static_cast<LONG_PTR>(t * 1000.0f);
        SetWindowLongPtrW(intro.shell.mainWindow, GWLP_USERDATA, stamp > 0 ? stamp : 1);
        ++intro.renderer.framesPresented;
    }
    CloseWhenOver(t);
    // Before Escape the end card waits until the first frame is surely drawn: Present may return
    // while the driver still compiles that frame's shaders, and up to three frames queue behind it
    // (DXGI's default latency). Taken up earlier, its compile and warm-up would hold the first
    // frame back.
    if (!endCard && intro.renderer.framesPresented > kQueuedFrames) FinishEndCard(false);
}

void AdvanceUnseenFrame(float t)
{
    StepShow(t);
    CloseWhenOver(t);
}
