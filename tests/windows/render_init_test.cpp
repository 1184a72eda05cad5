#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/intro_state.h"
#include "render/frame_rules.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "shaders/shader_source.h"

namespace {

const std::vector<std::string> kCreationOrder = {
    "device",           "context",          "swapChain",           "backBufferView",
    "offscreenTexture", "offscreenTargetView", "offscreenShaderView", "linearSampler",
    "maskBorderSampler", "vertexShader",    "scenePixelShader",    "compositePixelShader",
    "endPixelShader",   "signaturePixelShader", "constantBuffer",  "maskTexture",
    "maskView",         "signatureTexture", "signatureView",       "signatureBlend"};

// The order ReleaseRenderer must follow. The immediate context lives as long as the device, so its
// own release cannot be observed and it is left out.
const std::vector<std::string> kReleaseOrder = {
    "signatureBlend",    "signatureView",       "signatureTexture",     "maskView",
    "maskTexture",       "constantBuffer",      "maskBorderSampler",    "linearSampler",
    "signaturePixelShader", "endPixelShader",   "compositePixelShader", "scenePixelShader",
    "vertexShader",      "offscreenShaderView", "offscreenTargetView",  "offscreenTexture",
    "backBufferView",    "swapChain",           "device"};

std::vector<std::string> FirstCreated(size_t count)
{
    return std::vector<std::string>(kCreationOrder.begin(), kCreationOrder.begin() + count);
}

std::vector<std::string> AllBut(const std::vector<std::string>& missing)
{
    std::vector<std::string> created;
    for (const std::string& name : kCreationOrder) {
        if (std::find(missing.begin(), missing.end(), name) == missing.end()) created.push_back(name);
    }
    return created;
}

std::vector<std::string> ExpectedReleases(const std::vector<std::string>& created)
{
    std::vector<std::string> releases;
    for (const std::string& name : kReleaseOrder) {
        if (std::find(created.begin(), created.end(), name) != created.end()) releases.push_back(name);
    }
    return releases;
}

// Judged by the program's own Release calls: when an object is destroyed is the runtime's affair
// (DXVK keeps sampler states until the device goes).
void ReleaseAndCheckOrder(const std::vector<std::string>& created)
{
    WatchRendererReleases();
    Script().log.clear();
    ReleaseRenderer();
    StopWatchingReleases();
    EXPECT_EQ(Script().log, ExpectedReleases(created));
    EXPECT_TRUE(CreatedObjects().empty());
}

TEST(RenderInit, CreatesEveryObjectAtFeatureLevel11)
{
    RenderTestBed bed(640, 360);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    EXPECT_TRUE(bed.reports().empty());
    EXPECT_EQ(intro.renderer.featureLevel, D3D_FEATURE_LEVEL_11_0);
    EXPECT_EQ(CreatedObjects(), kCreationOrder);
    EXPECT_EQ(Script().compiledProfiles,
              (std::vector<std::string>{"VS:vs_5_0", "ScenePS:ps_5_0", "CompositePS:ps_5_0", "EndPS:ps_5_0",
                                        "SignaturePS:ps_5_0"}));
    EXPECT_EQ(intro.renderer.offscreenWidth, 320);
    EXPECT_EQ(intro.renderer.offscreenHeight, 180);

    DXGI_SWAP_CHAIN_DESC chain = {};
    ASSERT_HRESULT_SUCCEEDED(intro.renderer.swapChain->GetDesc(&chain));
    EXPECT_EQ(chain.BufferDesc.Width, 640u);
    EXPECT_EQ(chain.BufferDesc.Height, 360u);
    EXPECT_EQ(chain.BufferDesc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(chain.BufferCount, 2u);
    EXPECT_TRUE(chain.Windowed);
    EXPECT_EQ(chain.OutputWindow, bed.window());

    D3D11_TEXTURE2D_DESC offscreen = {};
    intro.renderer.offscreenTexture->GetDesc(&offscreen);
    EXPECT_EQ(offscreen.Width, 320u);
    EXPECT_EQ(offscreen.Height, 180u);
    EXPECT_EQ(offscreen.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(offscreen.BindFlags, static_cast<UINT>(D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET));

    D3D11_SAMPLER_DESC mask = {};
    intro.renderer.maskBorderSampler->GetDesc(&mask);
    EXPECT_EQ(mask.AddressU, D3D11_TEXTURE_ADDRESS_BORDER);
    EXPECT_EQ(mask.BorderColor[3], 0.0f);
    D3D11_SAMPLER_DESC linear = {};
    intro.renderer.linearSampler->GetDesc(&linear);
    EXPECT_EQ(linear.AddressV, D3D11_TEXTURE_ADDRESS_CLAMP);
    EXPECT_EQ(linear.Filter, D3D11_FILTER_MIN_MAG_MIP_LINEAR);

    D3D11_BUFFER_DESC constants = {};
    intro.renderer.constantBuffer->GetDesc(&constants);
    EXPECT_EQ(constants.ByteWidth, 64u);
    EXPECT_EQ(constants.Usage, D3D11_USAGE_DYNAMIC);
    EXPECT_EQ(constants.CPUAccessFlags, static_cast<UINT>(D3D11_CPU_ACCESS_WRITE));

    ReleaseAndCheckOrder(kCreationOrder);
}

TEST(RenderInit, FeatureLevel10CompilesWithShaderModel4)
{
    RenderTestBed bed(320, 240);
    Script().onlyFeatureLevel10 = true;
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    EXPECT_TRUE(bed.reports().empty());
    EXPECT_EQ(intro.renderer.featureLevel, D3D_FEATURE_LEVEL_10_0);
    EXPECT_EQ(Script().compiledProfiles,
              (std::vector<std::string>{"VS:vs_4_0", "ScenePS:ps_4_0", "CompositePS:ps_4_0", "EndPS:ps_4_0",
                                        "SignaturePS:ps_4_0"}));
    EXPECT_EQ(CreatedObjects(), kCreationOrder);
}

TEST(RenderInit, EveryEntryCompilesUnderBothProfileFamilies)
{
    const char* const pixelEntries[] = {"ScenePS", "CompositePS", "EndPS", "SignaturePS"};
    for (const char* family : {"5_0", "4_0"}) {
        const std::string vertexProfile = std::string("vs_") + family;
        const std::string pixelProfile = std::string("ps_") + family;
        std::vector<std::pair<const char*, std::string>> jobs = {{"VS", vertexProfile}};
        for (const char* entry : pixelEntries) jobs.emplace_back(entry, pixelProfile);
        for (const auto& [entry, profile] : jobs) {
            ID3DBlob* code = nullptr;
            ID3DBlob* messages = nullptr;
            const HRESULT result = D3DCompile(ShaderSource, ShaderSourceSize, nullptr, nullptr, nullptr, entry,
                                              profile.c_str(), 0x8800, 0, &code, &messages);
            EXPECT_HRESULT_SUCCEEDED(result)
                << entry << " " << profile << ": "
                << (messages ? static_cast<const char*>(messages->GetBufferPointer()) : "");
            EXPECT_NE(code, nullptr) << entry << " " << profile;
            if (code) code->Release();
            if (messages) messages->Release();
        }
    }
}

struct FailureRow {
    const char* call;
    int occurrence;
    HRESULT result;
    const wchar_t* what;
    bool initResult;
    std::vector<std::string> created;
};

TEST(RenderInit, EachFailureIsReportedOnceAndNothingLaterIsMade)
{
    const std::vector<std::string> offscreen = {"offscreenTexture", "offscreenTargetView", "offscreenShaderView"};
    const std::vector<std::string> signature = {"signatureTexture", "signatureView", "signatureBlend"};
    const HRESULT unsupported = static_cast<HRESULT>(0x887A0004);
    const FailureRow rows[] = {
        {"D3D11CreateDeviceAndSwapChain", 1, unsupported, L"D3D11CreateDeviceAndSwapChain", false, {}},
        {"D3D11CreateDeviceAndSwapChain", 1, S_OK, L"D3D11CreateDeviceAndSwapChain", false, {}},
        {"GetBuffer", 1, E_OUTOFMEMORY, L"SwapChain::GetBuffer", false, FirstCreated(3)},
        {"GetBuffer", 1, S_OK, L"SwapChain::GetBuffer", false, FirstCreated(3)},
        {"CreateRenderTargetView", 1, E_INVALIDARG, L"CreateRenderTargetView(backbuffer)", false, FirstCreated(3)},
        {"CreateRenderTargetView", 1, S_FALSE, L"CreateRenderTargetView(backbuffer)", false, FirstCreated(3)},
        {"CreateSamplerState", 1, E_OUTOFMEMORY, L"CreateSamplerState(linear)", false, FirstCreated(7)},
        {"CreateSamplerState", 2, E_INVALIDARG, L"CreateSamplerState(maskBorder)", false, FirstCreated(8)},
        {"D3DCompile:VS", 1, E_FAIL, L"D3DCompile", false, FirstCreated(9)},
        {"CreateVertexShader", 1, E_INVALIDARG, L"CreateVertexShader", false, FirstCreated(9)},
        {"CreateVertexShader", 1, S_OK, L"CreateVertexShader", false, FirstCreated(9)},
        {"D3DCompile:ScenePS", 1, E_FAIL, L"D3DCompile", false, FirstCreated(10)},
        {"D3DCompile:CompositePS", 1, E_OUTOFMEMORY, L"D3DCompile", false, FirstCreated(11)},
        {"D3DCompile:EndPS", 1, E_FAIL, L"D3DCompile", false, FirstCreated(12)},
        {"D3DCompile:SignaturePS", 1, E_FAIL, L"D3DCompile", false, FirstCreated(13)},
        {"CreateBuffer", 1, E_OUTOFMEMORY, L"CreateBuffer(CB)", false, FirstCreated(14)},
        {"CreateBuffer", 1, S_OK, L"CreateBuffer(CB)", false, FirstCreated(14)},
        {"CreatePixelShader", 1, E_INVALIDARG, L"CreatePixelShader(scene)", true, AllBut({"scenePixelShader"})},
        {"CreatePixelShader", 2, E_OUTOFMEMORY, L"CreatePixelShader(composite)", true,
         AllBut({"compositePixelShader"})},
        {"CreatePixelShader", 3, S_OK, L"CreatePixelShader(end)", true, AllBut({"endPixelShader"})},
        {"CreatePixelShader", 4, E_OUTOFMEMORY, L"CreatePixelShader(signature)", true,
         AllBut({"signaturePixelShader"})},
        {"CreateTexture2D", 1, E_OUTOFMEMORY, L"CreateTexture2D(RT)", true, AllBut(offscreen)},
        {"CreateRenderTargetView", 2, E_INVALIDARG, L"CreateRenderTargetView", true, AllBut(offscreen)},
        {"CreateShaderResourceView", 1, E_OUTOFMEMORY, L"CreateShaderResourceView", true, AllBut(offscreen)},
        // The mask's texture and view come second; a signature that cannot be made costs only itself.
        {"CreateTexture2D", 3, E_OUTOFMEMORY, L"CreateTexture2D(signature)", true, AllBut(signature)},
        {"CreateShaderResourceView", 3, E_INVALIDARG, L"CreateSRV(signature)", true, AllBut(signature)},
        {"CreateBlendState", 1, E_OUTOFMEMORY, L"CreateBlendState(signature)", true, AllBut(signature)},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(std::string(row.call) + " #" + std::to_string(row.occurrence) + " -> " +
                     std::to_string(static_cast<unsigned long>(row.result)));
        RenderTestBed bed(320, 200);
        Script().Fail(row.call, row.occurrence, row.result);
        EXPECT_EQ(InitRenderer(EmbeddedShaderText()), row.initResult);
        ASSERT_EQ(bed.reports().size(), 1u);
        EXPECT_EQ(bed.reports()[0].what, row.what);
        EXPECT_EQ(bed.reports()[0].code, static_cast<uint32_t>(row.result));
        EXPECT_EQ(CreatedObjects(), row.created);
        if (std::string(row.call).rfind("D3DCompile:", 0) == 0) {
            // The entries after the failing one are not compiled.
            const std::string entry = std::string(row.call).substr(11);
            EXPECT_EQ(Script().compiledProfiles.back().substr(0, entry.size() + 1), entry + ":");
        }
        ReleaseAndCheckOrder(row.created);
    }
}

}  // namespace

namespace {

// Frames before Escape until the end card's shader has been taken up; false if that never happens.
bool DrawUntilTheEndCardIsTakenUp()
{
    for (int frame = 0; frame < 3000; ++frame) {
        if (intro.renderer.pixelShaders[kEndPass]) return true;
        RenderFrame(1.0f + frame / 100.0f);
        Sleep(10);
    }
    return intro.renderer.pixelShaders[kEndPass] != nullptr;
}

}  // namespace

TEST(RenderInitInBackground, TheEndCardIsMadeBesideTheShowAndReleasedInTheFixedOrder)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText(), EndCardStart::InBackground));
    // Start-up ends without the end card's shader, whose compile the frames start.
    EXPECT_EQ(CreatedObjects(), AllBut({"endPixelShader"}));
    EXPECT_EQ(std::count(Script().compiledProfiles.begin(), Script().compiledProfiles.end(), "EndPS:ps_5_0"), 0);
    ASSERT_TRUE(DrawUntilTheEndCardIsTakenUp());
    EXPECT_TRUE(bed.reports().empty());
    EXPECT_EQ(CreatedObjects(), kCreationOrder);
    std::vector<std::string> compiled = Script().compiledProfiles;
    std::sort(compiled.begin(), compiled.end());
    EXPECT_EQ(compiled, (std::vector<std::string>{"CompositePS:ps_5_0", "EndPS:ps_5_0", "ScenePS:ps_5_0",
                                                  "SignaturePS:ps_5_0", "VS:vs_5_0"}));
    ReleaseAndCheckOrder(kCreationOrder);
}

TEST(RenderInitInBackground, AnEscapeBeforeTheCompileIsDoneWaitsForTheEndCard)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText(), EndCardStart::InBackground));
    Script().capturePresents = true;
    // The fourth frame starts the compile, once three more have queued behind the first.
    for (int frame = 0; frame < 4; ++frame) RenderFrame(0.1f * frame);
    ASSERT_NE(intro.renderer.endCardWorker, nullptr);
    // Two seconds into the end card its picture has faded in.
    intro.shell.exit = ExitState{true, 0.5f};
    RenderFrame(2.5f);
    ASSERT_NE(intro.renderer.pixelShaders[kEndPass], nullptr);
    EXPECT_TRUE(bed.reports().empty());
    // The upper half, away from the signature, shows the end card rather than a cleared target.
    int lit = 0;
    for (size_t i = 0; i < Script().presented.size() / 2; i += 4) {
        lit += Script().presented[i] + Script().presented[i + 1] + Script().presented[i + 2] > 30 ? 1 : 0;
    }
    EXPECT_GT(lit, 100);
}

TEST(RenderInitInBackground, EndCardFailuresAreReportedOnceWhenTakenUp)
{
    {
        // Taken up before any frame, as when Escape comes first, the entry compiles on the spot.
        SCOPED_TRACE("the compile fails: the show ends as a failed start-up does");
        RenderTestBed bed(320, 200);
        Script().Fail("D3DCompile:EndPS", 1, E_FAIL);
        ASSERT_TRUE(InitRenderer(EmbeddedShaderText(), EndCardStart::InBackground));
        EXPECT_FALSE(FinishEndCard(true));
        ASSERT_EQ(bed.reports().size(), 1u);
        EXPECT_EQ(bed.reports()[0].what, L"D3DCompile");
        EXPECT_EQ(bed.reports()[0].code, static_cast<uint32_t>(E_FAIL));
        EXPECT_FALSE(IsWindow(bed.window()));
        EXPECT_TRUE(intro.renderer.windowDestroyed);
        // Later frames take nothing up again, and report nothing.
        EXPECT_TRUE(FinishEndCard(true));
        EXPECT_EQ(bed.reports().size(), 1u);
        ReleaseAndCheckOrder(AllBut({"endPixelShader"}));
    }
    {
        SCOPED_TRACE("the shader cannot be made: the show goes on without it");
        RenderTestBed bed(320, 200);
        // Scene, composite and signature are made during start-up; the end card's comes fourth.
        Script().Fail("CreatePixelShader", 4, E_OUTOFMEMORY);
        ASSERT_TRUE(InitRenderer(EmbeddedShaderText(), EndCardStart::InBackground));
        EXPECT_TRUE(FinishEndCard(true));
        ASSERT_EQ(bed.reports().size(), 1u);
        EXPECT_EQ(bed.reports()[0].what, L"CreatePixelShader(end)");
        EXPECT_EQ(bed.reports()[0].code, static_cast<uint32_t>(E_OUTOFMEMORY));
        EXPECT_TRUE(IsWindow(bed.window()));
        ReleaseAndCheckOrder(AllBut({"endPixelShader"}));
    }
}
