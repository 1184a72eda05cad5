#include "app/intro_state.h"
#include "render/creation_check.h"
#include "render/renderer.h"

void ReleaseRenderer()
{
    RendererState& renderer = intro.renderer;
    ReleaseField(intro.scroller.maskView);
    ReleaseField(intro.scroller.maskTexture);
    ReleaseField(renderer.constantBuffer);
    ReleaseField(renderer.maskBorderSampler);
    ReleaseField(renderer.linearSampler);
    ReleaseField(renderer.endPixelShader);
    ReleaseField(renderer.compositePixelShader);
    ReleaseField(renderer.scenePixelShader);
    ReleaseField(renderer.vertexShader);
    ReleaseField(renderer.offscreenShaderView);
    ReleaseField(renderer.offscreenTargetView);
    ReleaseField(renderer.offscreenTexture);
    ReleaseField(renderer.backBufferView);
    ReleaseField(renderer.swapChain);
    ReleaseField(renderer.context);
    ReleaseField(renderer.device);
}
