#include "app/intro_state.h"
#include "app/report_failure.h"
#include "render/back_buffer_view.h"
#include "render/creation_check.h"
#include "render/half_size.h"
#include "render/render_platform.h"
#include "render/renderer.h"
#include "render/scene_constants.h"
#include "render/shader_compile.h"
#include "scroller/scroller.h"

namespace {

DXGI_SWAP_CHAIN_DESC SwapChainDescription()
{
    DXGI_SWAP_CHAIN_DESC desc = {};
    desc.BufferDesc.Width = static_cast<UINT>(intro.shell.clientWidth);
    desc.BufferDesc.Height = static_cast<UINT>(intro.shell.clientHeight);
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 2;
    desc.OutputWindow = intro.shell.mainWindow;
    // Full screen is a borderless window, never the swap chain's exclusive mode.
    desc.Windowed = TRUE;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    return desc;
}

D3D11_SAMPLER_DESC SamplerDescription(D3D11_TEXTURE_ADDRESS_MODE addressing)
{
    // The border colour stays transparent black: mask reads outside the texture give no coverage.
    D3D11_SAMPLER_DESC desc = {};
    desc.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
    desc.AddressU = addressing;
    desc.AddressV = addressing;
    desc.AddressW = addressing;
    desc.MaxLOD = D3D11_FLOAT32_MAX;
    return desc;
}

bool CreateDeviceAndSwapChain()
{
    RendererState& renderer = intro.renderer;
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
    const DXGI_SWAP_CHAIN_DESC desc = SwapChainDescription();
    const HRESULT result = rendererPlatform.createDeviceAndSwapChain(
        nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels, 2, D3D11_SDK_VERSION, &desc, &renderer.swapChain,
        &renderer.device, &renderer.featureLevel, &renderer.context);
    // All three objects are needed; a success that lacks one is a failure like any other.
    const bool complete = renderer.swapChain && renderer.device && renderer.context;
    return CheckCreated(result, complete ? renderer.device : nullptr, L"D3D11CreateDeviceAndSwapChain");
}

bool CreateSampler(D3D11_TEXTURE_ADDRESS_MODE addressing, ID3D11SamplerState*& sampler, const wchar_t* what)
{
    const D3D11_SAMPLER_DESC desc = SamplerDescription(addressing);
    const HRESULT result = intro.renderer.device->CreateSamplerState(&desc, &sampler);
    if (FAILED(result)) {
        ReportFailure(what, static_cast<uint32_t>(result));
        return false;
    }
    return true;
}

// A pixel shader that cannot be made is reported, and start-up goes on without it.
bool CreatePixelShader(const char* entry, const char* profile, ID3D11PixelShader*& shader, const wchar_t* what)
{
    ID3DBlob* code = CompileEntry(entry, profile);
    if (!code) return false;
    const HRESULT result =
        intro.renderer.device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &shader);
    code->Release();
    CheckCreated(result, shader, what);
    return true;
}

bool CreateShaders()
{
    RendererState& renderer = intro.renderer;
    const ShaderProfiles profiles = ChooseShaderProfiles(renderer.featureLevel);

    ID3DBlob* vertexCode = CompileEntry("VS", profiles.vertex);
    if (!vertexCode) return false;
    const HRESULT result = renderer.device->CreateVertexShader(vertexCode->GetBufferPointer(),
                                                               vertexCode->GetBufferSize(), nullptr,
                                                               &renderer.vertexShader);
    const bool created =
        CheckCreated(result, renderer.vertexShader, L"CreateVertexShader") &&
        CreatePixelShader("ScenePS", profiles.pixel, renderer.scenePixelShader, L"CreatePixelShader(scene)") &&
        CreatePixelShader("CompositePS", profiles.pixel, renderer.compositePixelShader,
                          L"CreatePixelShader(composite)") &&
        CreatePixelShader("EndPS", profiles.pixel, renderer.endPixelShader, L"CreatePixelShader(end)");
    vertexCode->Release();
    return created;
}

bool CreateConstantBuffer()
{
    D3D11_BUFFER_DESC desc = {};
    desc.ByteWidth = sizeof(SceneConstants);
    desc.Usage = D3D11_USAGE_DYNAMIC;
    desc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    RendererState& renderer = intro.renderer;
    const HRESULT result = renderer.device->CreateBuffer(&desc, nullptr, &renderer.constantBuffer);
    return CheckCreated(result, renderer.constantBuffer, L"CreateBuffer(CB)");
}

}  // namespace

bool InitRenderer()
{
    RendererState& renderer = intro.renderer;
    if (!CreateDeviceAndSwapChain() || !CreateBackBufferView()) return false;

    // A missing offscreen target is reported inside and does not stop start-up.
    renderer.offscreenWidth = HalfSize(intro.shell.clientWidth);
    renderer.offscreenHeight = HalfSize(intro.shell.clientHeight);
    CreateOffscreenTarget(renderer.offscreenWidth, renderer.offscreenHeight);

    if (!CreateSampler(D3D11_TEXTURE_ADDRESS_CLAMP, renderer.linearSampler, L"CreateSamplerState(linear)") ||
        !CreateSampler(D3D11_TEXTURE_ADDRESS_BORDER, renderer.maskBorderSampler, L"CreateSamplerState(maskBorder)") ||
        !CreateShaders() || !CreateConstantBuffer()) {
        return false;
    }

    // The scroller reports its own failures; without its mask the show cannot run.
    BuildScrollerMask();
    return intro.scroller.maskView != nullptr;
}
