#include "tools/frames/bench_passes.h"

#include <d3dcompiler.h>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "tools/frames/call_failure.h"
#include "tools/frames/frame_capture.h"

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

bool TimedDraw(PassTimer& timer, int slot, std::string* error)
{
    ID3D11DeviceContext* context = intro.renderer.context;
    if (!timer.BeginPass(context, slot, error)) return false;
    context->Draw(3, 0);
    return timer.EndPass(context, slot, error);
}

// The constants of the frame at time, as the renderer would write them.
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

}  // namespace

std::vector<BenchJob> BenchJobs()
{
    std::vector<BenchJob> jobs;
    for (const float t : {4.5f, 12.0f, 20.0f}) {
        jobs.push_back({kScenePass, IntroFrame(t)});
        jobs.push_back({kCompositePass, IntroFrame(t)});
    }
    for (const float exitT : {0.5f, 4.5f}) jobs.push_back({kEndPass, EndCardFrame(exitT)});
    return jobs;
}

std::string JobName(const BenchJob& job) { return std::string(kPasses[job.pass].name) + " " + FrameName(job.time); }

int FirstJobOfPass(const std::vector<BenchJob>& jobs, int pass)
{
    for (size_t job = 0; job < jobs.size(); ++job) {
        if (jobs[job].pass == pass) return static_cast<int>(job);
    }
    return -1;
}

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

bool TimeJob(PassTimer& timer, int slot, const BenchJob& job, std::string* error)
{
    PrepareFrameState(job.time);
    WriteBenchConstants(job.time);
    BindPass(job.pass);
    const bool timed = TimedDraw(timer, slot, error);
    UnbindPass(job.pass);
    return timed;
}

const char* const kFlatFillNames[2] = {"flat fill half", "flat fill full"};

bool TimeFlatFills(PassTimer& timer, ID3D11PixelShader* flatShader, int slot, std::string* error)
{
    // The flat passes keep the last pass's binding and swap in their own shader and target.
    RendererState& renderer = intro.renderer;
    renderer.context->PSSetShader(flatShader, nullptr, 0);
    BeginTarget(renderer.offscreenTargetView, renderer.offscreenWidth, renderer.offscreenHeight);
    if (!TimedDraw(timer, slot, error)) return false;
    BeginTarget(renderer.backBufferView, intro.shell.clientWidth, intro.shell.clientHeight);
    return TimedDraw(timer, slot + 1, error);
}
