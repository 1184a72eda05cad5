#include "render_test_bed.h"

#include "core/intro_state.h"
#include "render/frame_rules.h"
#include "render/renderer.h"

namespace {

const wchar_t kClassName[] = L"HTN_RenderTestWnd";

void RegisterTestClass()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExW(&windowClass) != 0;
}

struct NamedField {
    const char* name;
    const void* object;
};

std::vector<NamedField> Fields()
{
    const RendererState& r = intro.renderer;
    return {{"device", r.device},
            {"context", r.context},
            {"swapChain", r.swapChain},
            {"backBufferView", r.backBufferView},
            {"offscreenTexture", r.offscreenTexture},
            {"offscreenTargetView", r.offscreenTargetView},
            {"offscreenShaderView", r.offscreenShaderView},
            {"linearSampler", r.linearSampler},
            {"maskBorderSampler", r.maskBorderSampler},
            {"vertexShader", r.vertexShader},
            {"scenePixelShader", r.pixelShaders[kScenePass]},
            {"compositePixelShader", r.pixelShaders[kCompositePass]},
            {"endPixelShader", r.pixelShaders[kEndPass]},
            {"signaturePixelShader", r.signaturePixelShader},
            {"constantBuffer", r.constantBuffer},
            {"maskTexture", intro.scroller.maskTexture},
            {"maskView", intro.scroller.maskView},
            {"signatureTexture", r.signatureTexture},
            {"signatureView", r.signatureView},
            {"signatureBlend", r.signatureBlend}};
}

// The device, its context and the swap chain are doubles or live as long as the device: the
// doubles log their own releases.
bool IsDeviceChild(const std::string& name) { return name != "device" && name != "context" && name != "swapChain"; }

void Witness(ID3D11DeviceChild* object, const char* name)
{
    if (object) WitnessDestruction(object, name);
}

}  // namespace

RenderTestBed::RenderTestBed(int clientWidth, int clientHeight)
{
    intro = IntroState();
    InstallRenderDoubles();
    RegisterTestClass();
    window_ = CreateWindowExW(0, kClassName, L"render test", WS_POPUP, 0, 0, clientWidth, clientHeight, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    RECT client = {};
    GetClientRect(window_, &client);
    intro.shell.mainWindow = window_;
    intro.shell.clientWidth = client.right - client.left;
    intro.shell.clientHeight = client.bottom - client.top;
}

RenderTestBed::~RenderTestBed()
{
    ReleaseRenderer();
    if (IsWindow(window_)) DestroyWindow(window_);
    RemoveRenderDoubles();
    intro = IntroState();
}

void RenderTestBed::ResizeClient(int width, int height)
{
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<std::string> AllRendererObjects()
{
    std::vector<std::string> names;
    for (const NamedField& field : Fields()) names.push_back(field.name);
    return names;
}

std::vector<std::string> CreatedObjects()
{
    std::vector<std::string> created;
    for (const NamedField& field : Fields()) {
        if (field.object) created.push_back(field.name);
    }
    return created;
}

void WatchRendererReleases()
{
    for (const NamedField& field : Fields()) {
        if (field.object && IsDeviceChild(field.name)) {
            WatchReleases(static_cast<IUnknown*>(const_cast<void*>(field.object)), field.name);
        }
    }
}

void WitnessRendererObjects()
{
    const RendererState& r = intro.renderer;
    Witness(r.signatureBlend, "signatureBlend");
    Witness(r.signatureView, "signatureView");
    Witness(r.signatureTexture, "signatureTexture");
    Witness(intro.scroller.maskView, "maskView");
    Witness(intro.scroller.maskTexture, "maskTexture");
    Witness(r.constantBuffer, "constantBuffer");
    Witness(r.maskBorderSampler, "maskBorderSampler");
    Witness(r.linearSampler, "linearSampler");
    Witness(r.signaturePixelShader, "signaturePixelShader");
    Witness(r.pixelShaders[kEndPass], "endPixelShader");
    Witness(r.pixelShaders[kCompositePass], "compositePixelShader");
    Witness(r.pixelShaders[kScenePass], "scenePixelShader");
    Witness(r.vertexShader, "vertexShader");
    Witness(r.offscreenShaderView, "offscreenShaderView");
    Witness(r.offscreenTargetView, "offscreenTargetView");
    Witness(r.offscreenTexture, "offscreenTexture");
    Witness(r.backBufferView, "backBufferView");
}
