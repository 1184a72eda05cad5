// Every object the renderer owns, in the fixed order of creation: the device and swap chain, the
// back-buffer view, the offscreen target, the samplers, the shaders, the constant buffer and, after
// the scroller's mask, the signature. Each object's creation stands beside its resize and release;
// InitRenderer, ResizeRenderer and ReleaseRenderer at the end walk them in order.
#include "render/renderer.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/failure_report.h"
#include "core/intro_state.h"
#include "render/frame_rules.h"
#include "scroller/scroller.h"

static_assert(kFeatureLevel11 == D3D_FEATURE_LEVEL_11_0, "the level from which shader model 5 compiles");
static_assert(std::size(decltype(RendererState::pixelShaders){}) == kPassCount, "one pixel shader per pass");
static_assert(kDeviceRemoved == static_cast<uint32_t>(DXGI_ERROR_DEVICE_REMOVED), "device removed");
static_assert(kDeviceReset == static_cast<uint32_t>(DXGI_ERROR_DEVICE_RESET), "device reset");

RendererPlatform SystemRendererPlatform() { return RendererPlatform{&D3D11CreateDeviceAndSwapChain, &D3DCompile}; }

RendererPlatform rendererPlatform = SystemRendererPlatform();

namespace {

// --- Device, context and swap chain: made first, released last.

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

// DXGI would take Alt+Enter into the swap chain's exclusive full screen, past the shell's own
// borderless toggle. Without the factory DXGI keeps its default, which costs only that key.
void KeepAltEnterOut()
{
    IDXGIFactory* factory = nullptr;
    if (FAILED(intro.renderer.swapChain->GetParent(IID_IDXGIFactory, reinterpret_cast<void**>(&factory))) ||
        !factory) {
        return;
    }
    factory->MakeWindowAssociation(intro.shell.mainWindow, DXGI_MWA_NO_ALT_ENTER);
    factory->Release();
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
    if (!CheckCreated(result, complete ? renderer.device : nullptr, L"D3D11CreateDeviceAndSwapChain")) return false;
    KeepAltEnterOut();
    return true;
}

void ReleaseDeviceAndSwapChain()
{
    RendererState& renderer = intro.renderer;
    ReleaseField(renderer.swapChain);
    ReleaseField(renderer.context);
    ReleaseField(renderer.device);
}

// --- The back-buffer view: made from swap-chain buffer 0, remade after every ResizeBuffers.

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

// Returns ResizeBuffers' result; a failure other than a lost device has been reported.
HRESULT ResizeBackBuffer(int width, int height)
{
    RendererState& renderer = intro.renderer;
    // A view still bound to the output stage keeps the buffer referenced, and the resize would fail.
    renderer.context->OMSetRenderTargets(0, nullptr, nullptr);
    ReleaseField(renderer.backBufferView);
    const HRESULT result = renderer.swapChain->ResizeBuffers(0, static_cast<UINT>(width), static_cast<UINT>(height),
                                                             DXGI_FORMAT_UNKNOWN, 0);
    if (FAILED(result) && !IsDeviceLost(static_cast<uint32_t>(result))) {
        ReportFailure(L"ResizeBuffers", static_cast<uint32_t>(result));
    }
    return result;
}

// --- The offscreen target: the scene pass draws into it at half the client size.

D3D11_TEXTURE2D_DESC OffscreenDescription(int width, int height)
{
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = static_cast<UINT>(width);
    desc.Height = static_cast<UINT>(height);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
    return desc;
}

void ReleaseOffscreenTarget()
{
    RendererState& renderer = intro.renderer;
    ReleaseField(renderer.offscreenShaderView);
    ReleaseField(renderer.offscreenTargetView);
    ReleaseField(renderer.offscreenTexture);
}

// --- Samplers: the clamp sampler in s0 for every pass, the transparent-border one for the mask.

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

bool CreateSamplers()
{
    RendererState& renderer = intro.renderer;
    return CreateSampler(D3D11_TEXTURE_ADDRESS_CLAMP, renderer.linearSampler, L"CreateSamplerState(linear)") &&
           CreateSampler(D3D11_TEXTURE_ADDRESS_BORDER, renderer.maskBorderSampler,
                         L"CreateSamplerState(maskBorder)");
}

void ReleaseSamplers()
{
    RendererState& renderer = intro.renderer;
    ReleaseField(renderer.maskBorderSampler);
    ReleaseField(renderer.linearSampler);
}

// --- Shaders: the shared vertex shader and one pixel shader per pass, compiled from the
// embedded text for the device's feature level.

// Strictness and full optimisation.
constexpr UINT kCompileFlags = D3DCOMPILE_ENABLE_STRICTNESS | D3DCOMPILE_OPTIMIZATION_LEVEL3;

HRESULT Compile(const char* entry, const char* profile, ID3DBlob** code, ID3DBlob** messages)
{
    const std::string& text = intro.renderer.shaderText;
    return rendererPlatform.compile(text.data(), text.size(), nullptr, nullptr, nullptr, entry, profile,
                                    kCompileFlags, 0, code, messages);
}

// What a compile gave, judged on the main thread: the byte code, or null once the failure has been
// reported. Warnings of a successful compile are dropped unseen; errors go to an attached debugger.
ID3DBlob* KeepCompiled(HRESULT result, ID3DBlob* code, ID3DBlob* messages)
{
    const bool compiled = SUCCEEDED(result) && code;
    if (messages) {
        if (!compiled) OutputDebugStringA(static_cast<const char*>(messages->GetBufferPointer()));
        messages->Release();
    }
    if (!CheckCreated(result, code, L"D3DCompile")) {
        ReleaseField(code);
        return nullptr;
    }
    return code;
}

// Makes the pass's pixel shader from its byte code, which it releases. A shader that cannot be
// made is reported, and the show goes on without it.
void CreatePassShader(int pass, ID3DBlob* code)
{
    ID3D11PixelShader*& shader = intro.renderer.pixelShaders[pass];
    const HRESULT result =
        intro.renderer.device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &shader);
    code->Release();
    const std::string name = kPasses[pass].name;
    const std::wstring what = L"CreatePixelShader(" + std::wstring(name.begin(), name.end()) + L")";
    CheckCreated(result, shader, what.c_str());
}

bool CreatePixelShader(int pass, const char* profile)
{
    ID3DBlob* code = CompileEntry(kPasses[pass].entry, profile);
    if (!code) return false;
    CreatePassShader(pass, code);
    return true;
}

// The end card's compile off the main thread. D3DCompile is safe on any thread and needs no
// device; the worker touches nothing but the results it leaves behind.
DWORD WINAPI CompileEndCard(void*)
{
    RendererState& renderer = intro.renderer;
    renderer.endCardResult =
        Compile(kPasses[kEndPass].entry, renderer.endCardProfile, &renderer.endCardCode, &renderer.endCardMessages);
    return 0;
}

// Waits for a worker still compiling, and drops what it left.
void ReleaseEndCardWorker()
{
    RendererState& renderer = intro.renderer;
    if (renderer.endCardWorker) {
        WaitForSingleObject(renderer.endCardWorker, INFINITE);
        CloseHandle(renderer.endCardWorker);
        renderer.endCardWorker = nullptr;
    }
    ReleaseField(renderer.endCardCode);
    ReleaseField(renderer.endCardMessages);
    renderer.endCardResult = S_OK;
    renderer.endCardProfile = nullptr;
}

bool CreateShaders(EndCardStart endCard)
{
    RendererState& renderer = intro.renderer;
    const ShaderProfiles profiles = ChooseShaderProfiles(static_cast<uint32_t>(renderer.featureLevel));
    const bool endCardLater = endCard == EndCardStart::InBackground;
    if (endCardLater) renderer.endCardProfile = profiles.pixel;

    ID3DBlob* vertexCode = CompileEntry("VS", profiles.vertex);
    if (!vertexCode) return false;
    const HRESULT result = renderer.device->CreateVertexShader(vertexCode->GetBufferPointer(),
                                                               vertexCode->GetBufferSize(), nullptr,
                                                               &renderer.vertexShader);
    vertexCode->Release();
    if (!CheckCreated(result, renderer.vertexShader, L"CreateVertexShader")) return false;
    for (int pass = 0; pass < kPassCount; ++pass) {
        if (pass == kEndPass && endCardLater) continue;
        if (!CreatePixelShader(pass, profiles.pixel)) return false;
    }
    // The signature's shader is no pass of its own: it draws over whichever pass finished the frame.
    ID3DBlob* signatureCode = CompileEntry("SignaturePS", profiles.pixel);
    if (!signatureCode) return false;
    const HRESULT signatureResult =
        renderer.device->CreatePixelShader(signatureCode->GetBufferPointer(), signatureCode->GetBufferSize(),
                                           nullptr, &renderer.signaturePixelShader);
    signatureCode->Release();
    CheckCreated(signatureResult, renderer.signaturePixelShader, L"CreatePixelShader(signature)");
    return true;
}

void ReleaseShaders()
{
    RendererState& renderer = intro.renderer;
    ReleaseEndCardWorker();
    ReleaseField(renderer.signaturePixelShader);
    for (int pass = kPassCount - 1; pass >= 0; --pass) {
        ReleaseField(renderer.pixelShaders[pass]);
    }
    ReleaseField(renderer.vertexShader);
}

// "<call> failed: 0x<code>", for messages that go to the caller rather than to the failure sink.
std::string CallFailedText(const char* call, HRESULT result)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%s failed: 0x%08lX", call, static_cast<unsigned long>(result));
    return text;
}

// --- The constant buffer: rewritten once per frame.

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

// --- The signature: "dorv" rasterised once with GDI, and the blend that lays it over the picture.

constexpr wchar_t kSignatureText[] = L"dorv";

}  // namespace

bool RasteriseText(HDC compatibleWith, HGDIOBJ font, const std::vector<std::wstring>& lines, int margin,
                   TextPixels* pixels)
{
    const HDC dc = CreateCompatibleDC(compatibleWith);
    if (!dc) return false;
    const HGDIOBJ replacedFont = SelectObject(dc, font);
    int textWidth = 0;
    int lineHeight = 0;
    for (const std::wstring& line : lines) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        textWidth = std::max(textWidth, static_cast<int>(size.cx));
        lineHeight = std::max(lineHeight, static_cast<int>(size.cy));
    }
    const int width = textWidth + 2 * margin;
    const int height = lineHeight * static_cast<int>(lines.size()) + 2 * margin;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool drawn = bitmap && bits;
    if (drawn) {
        const HGDIOBJ replacedBitmap = SelectObject(dc, bitmap);
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        std::memset(bits, 0, count * sizeof(uint32_t));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        for (size_t i = 0; i < lines.size(); ++i) {
            TextOutW(dc, margin, margin + static_cast<int>(i) * lineHeight, lines[i].c_str(),
                     static_cast<int>(lines[i].size()));
        }
        // GDI may batch drawing; the pixels are read directly next.
        GdiFlush();
        const uint32_t* first = static_cast<const uint32_t*>(bits);
        pixels->bgrx.assign(first, first + count);
        pixels->width = width;
        pixels->height = height;
        SelectObject(dc, replacedBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    SelectObject(dc, replacedFont);
    DeleteDC(dc);
    return drawn;
}

namespace {

// Writes the signature in the font a fresh device context of the window holds, as the window
// itself would show it, with the text cell's top-left corner at the margin. False when GDI cannot.
bool RasteriseSignature(TextPixels* pixels)
{
    HWND window = intro.shell.mainWindow;
    const HDC windowDc = GetDC(window);
    if (!windowDc) return false;
    const bool drawn = RasteriseText(windowDc, GetCurrentObject(windowDc, OBJ_FONT), {kSignatureText},
                                     kSignatureMargin, pixels);
    ReleaseDC(window, windowDc);
    return drawn;
}

// The signature's coverage adds to the picture scaled by one minus itself, channel by channel, and
// the picture's alpha stays.
D3D11_BLEND_DESC SignatureBlendDescription()
{
    D3D11_BLEND_DESC desc = {};
    D3D11_RENDER_TARGET_BLEND_DESC& target = desc.RenderTarget[0];
    target.BlendEnable = TRUE;
    target.SrcBlend = D3D11_BLEND_ONE;
    target.DestBlend = D3D11_BLEND_INV_SRC_COLOR;
    target.BlendOp = D3D11_BLEND_OP_ADD;
    target.SrcBlendAlpha = D3D11_BLEND_ZERO;
    target.DestBlendAlpha = D3D11_BLEND_ONE;
    target.BlendOpAlpha = D3D11_BLEND_OP_ADD;
    target.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    return desc;
}

void ReleaseSignature()
{
    RendererState& renderer = intro.renderer;
    ReleaseField(renderer.signatureBlend);
    ReleaseField(renderer.signatureView);
    ReleaseField(renderer.signatureTexture);
    renderer.signatureWidth = 0;
    renderer.signatureHeight = 0;
}

// A show without its signature still runs: each failure here is reported, and frames go unsigned.
// The signature's objects are all made or none is kept.
void CreateSignature()
{
    RendererState& renderer = intro.renderer;
    TextPixels pixels;
    if (!RasteriseSignature(&pixels)) {
        ReportFailure(L"CreateDIBSection(signature)", static_cast<uint32_t>(E_FAIL));
        return;
    }

    bool made = CreateImmutableImage(renderer.device, pixels.bgrx.data(), pixels.width, pixels.height,
                                     L"CreateTexture2D(signature)", L"CreateSRV(signature)",
                                     &renderer.signatureTexture, &renderer.signatureView);
    const D3D11_BLEND_DESC blend = SignatureBlendDescription();
    if (made) {
        const HRESULT result = renderer.device->CreateBlendState(&blend, &renderer.signatureBlend);
        made = CheckCreated(result, renderer.signatureBlend, L"CreateBlendState(signature)");
    }
    if (!made) {
        ReleaseSignature();
        return;
    }
    renderer.signatureWidth = pixels.width;
    renderer.signatureHeight = pixels.height;
}

}  // namespace

void CreateOffscreenTarget(int width, int height)
{
    RendererState& renderer = intro.renderer;
    ReleaseOffscreenTarget();
    if (!renderer.device || width <= 0 || height <= 0) return;

    const D3D11_TEXTURE2D_DESC desc = OffscreenDescription(width, height);
    ID3D11Texture2D* texture = nullptr;
    HRESULT result = renderer.device->CreateTexture2D(&desc, nullptr, &texture);
    if (!CheckCreated(result, texture, L"CreateTexture2D(RT)")) return;

    ID3D11RenderTargetView* targetView = nullptr;
    result = renderer.device->CreateRenderTargetView(texture, nullptr, &targetView);
    if (!CheckCreated(result, targetView, L"CreateRenderTargetView")) {
        texture->Release();
        return;
    }

    ID3D11ShaderResourceView* shaderView = nullptr;
    result = renderer.device->CreateShaderResourceView(texture, nullptr, &shaderView);
    if (!CheckCreated(result, shaderView, L"CreateShaderResourceView")) {
        targetView->Release();
        texture->Release();
        return;
    }

    // The three are stored together, so they are either all present or all absent.
    renderer.offscreenTexture = texture;
    renderer.offscreenTargetView = targetView;
    renderer.offscreenShaderView = shaderView;
}

CompiledShaders::~CompiledShaders()
{
    ReleaseField(signature);
    for (ID3DBlob*& code : pixel) ReleaseField(code);
    ReleaseField(vertex);
}

ShaderProfiles RendererShaderProfiles()
{
    return ChooseShaderProfiles(static_cast<uint32_t>(intro.renderer.featureLevel));
}

bool CompileShaderText(std::string_view shaderText, const char* sourceName, const ShaderProfiles& profiles,
                       CompiledShaders* compiled, std::string* messages)
{
    const auto compileOne = [&](const char* entry, const char* profile, ID3DBlob** code) {
        ID3DBlob* errors = nullptr;
        const HRESULT result = rendererPlatform.compile(shaderText.data(), shaderText.size(), sourceName, nullptr,
                                                        nullptr, entry, profile, kCompileFlags, 0, code, &errors);
        const bool compiled = SUCCEEDED(result) && *code;
        if (!compiled) {
            *messages = errors ? std::string(static_cast<const char*>(errors->GetBufferPointer()),
                                             strnlen(static_cast<const char*>(errors->GetBufferPointer()),
                                                     errors->GetBufferSize()))
                               : CallFailedText("D3DCompile", result);
            ReleaseField(*code);
        }
        ReleaseField(errors);
        return compiled;
    };
    if (!compileOne("VS", profiles.vertex, &compiled->vertex)) return false;
    for (int pass = 0; pass < kPassCount; ++pass) {
        if (!compileOne(kPasses[pass].entry, profiles.pixel, &compiled->pixel[pass])) return false;
    }
    return compileOne("SignaturePS", profiles.pixel, &compiled->signature);
}

bool ReplaceShaders(std::string_view shaderText, const CompiledShaders& compiled, std::string* messages)
{
    RendererState& renderer = intro.renderer;
    ID3D11Device* device = renderer.device;
    if (!device || !compiled.vertex || !compiled.signature) {
        *messages = "no device or no compiled code";
        return false;
    }
    ID3D11VertexShader* vertex = nullptr;
    ID3D11PixelShader* pixel[kPassCount] = {};
    ID3D11PixelShader* signature = nullptr;
    // Every object is made before any is replaced, so a frame never mixes two texts.
    HRESULT result = device->CreateVertexShader(compiled.vertex->GetBufferPointer(), compiled.vertex->GetBufferSize(),
                                                nullptr, &vertex);
    const char* failed = FAILED(result) || !vertex ? "CreateVertexShader" : nullptr;
    for (int pass = 0; pass < kPassCount && !failed; ++pass) {
        ID3DBlob* code = compiled.pixel[pass];
        result = code ? device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &pixel[pass])
                      : E_POINTER;
        if (FAILED(result) || !pixel[pass]) failed = "CreatePixelShader";
    }
    if (!failed) {
        result = device->CreatePixelShader(compiled.signature->GetBufferPointer(), compiled.signature->GetBufferSize(),
                                           nullptr, &signature);
        if (FAILED(result) || !signature) failed = "CreatePixelShader(signature)";
    }
    if (failed) {
        *messages = CallFailedText(failed, result);
        ReleaseField(signature);
        for (ID3D11PixelShader*& shader : pixel) ReleaseField(shader);
        ReleaseField(vertex);
        return false;
    }

    ReleaseShaders();
    renderer.vertexShader = vertex;
    for (int pass = 0; pass < kPassCount; ++pass) renderer.pixelShaders[pass] = pixel[pass];
    renderer.signaturePixelShader = signature;
    renderer.shaderText.assign(shaderText);
    WarmPasses();
    return true;
}

ID3DBlob* CompileEntry(const char* entry, const char* profile)
{
    ID3DBlob* code = nullptr;
    ID3DBlob* messages = nullptr;
    const HRESULT result = Compile(entry, profile, &code, &messages);
    return KeepCompiled(result, code, messages);
}

bool FinishEndCard(bool wait)
{
    RendererState& renderer = intro.renderer;
    if (!renderer.endCardProfile) return true;
    if (!renderer.endCardWorker && !wait) {
        // The worker starts once the show has, so that it cannot slow the start-up down: Wine gives
        // a thread of lower priority as much of the processor as any other.
        renderer.endCardWorker = CreateThread(nullptr, 0, CompileEndCard, nullptr, 0, nullptr);
        if (renderer.endCardWorker) {
            SetThreadPriority(renderer.endCardWorker, THREAD_PRIORITY_BELOW_NORMAL);
            return true;
        }
    }
    if (renderer.endCardWorker) {
        if (WaitForSingleObject(renderer.endCardWorker, wait ? INFINITE : 0) != WAIT_OBJECT_0) return true;
        CloseHandle(renderer.endCardWorker);
        renderer.endCardWorker = nullptr;
    } else {
        // Escape came before any frame, or no thread could be made: the compile runs here.
        CompileEndCard(nullptr);
    }
    renderer.endCardProfile = nullptr;

    ID3DBlob* code = KeepCompiled(renderer.endCardResult, renderer.endCardCode, renderer.endCardMessages);
    renderer.endCardCode = nullptr;
    renderer.endCardMessages = nullptr;
    if (!code) {
        // The shader text did not compile: the show ends as a start-up that met the failure would.
        renderer.windowDestroyed = true;
        DestroyWindow(intro.shell.mainWindow);
        return false;
    }
    CreatePassShader(kEndPass, code);
    WarmPass(kEndPass);
    return true;
}

bool InitRenderer(std::string_view shaderText, EndCardStart endCard)
{
    RendererState& renderer = intro.renderer;
    // A recovery hands over the renderer's own copy.
    if (shaderText.data() != renderer.shaderText.data()) renderer.shaderText.assign(shaderText);
    if (!CreateDeviceAndSwapChain() || !CreateBackBufferView()) return false;

    // A missing offscreen target is reported inside and does not stop start-up.
    const PassSize half = PassTargetSize(PassTarget::Offscreen, intro.shell.clientWidth, intro.shell.clientHeight);
    renderer.offscreenWidth = half.width;
    renderer.offscreenHeight = half.height;
    CreateOffscreenTarget(renderer.offscreenWidth, renderer.offscreenHeight);

    if (!CreateSamplers() || !CreateShaders(endCard) || !CreateConstantBuffer()) return false;

    // The scroller reports its own failures; without its mask the show cannot run.
    BuildScrollerMask();
    CreateSignature();
    WarmPasses();
    return intro.scroller.maskView != nullptr;
}

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
    const HRESULT resized = ResizeBackBuffer(width, height);
    if (IsDeviceLost(static_cast<uint32_t>(resized))) {
        intro.shell.clientWidth = width;
        intro.shell.clientHeight = height;
        return RecoverRenderer();
    }
    if (FAILED(resized) || !CreateBackBufferView()) return false;

    intro.shell.clientWidth = width;
    intro.shell.clientHeight = height;
    const PassSize half = PassTargetSize(PassTarget::Offscreen, width, height);
    CreateOffscreenTarget(half.width, half.height);
    renderer.offscreenWidth = half.width;
    renderer.offscreenHeight = half.height;
    return true;
}

void ReleaseRenderer()
{
    RendererState& renderer = intro.renderer;
    ReleaseSignature();
    ReleaseScrollerMask();
    ReleaseField(renderer.constantBuffer);
    ReleaseSamplers();
    ReleaseShaders();
    ReleaseOffscreenTarget();
    ReleaseField(renderer.backBufferView);
    ReleaseDeviceAndSwapChain();
}

bool RecoverRenderer()
{
    ReleaseRenderer();
    if (InitRenderer(intro.renderer.shaderText)) return true;
    // Without a device nothing can be drawn; the show ends as a failed start-up does.
    ReleaseRenderer();
    intro.renderer.windowDestroyed = true;
    DestroyWindow(intro.shell.mainWindow);
    return false;
}
