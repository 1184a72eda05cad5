#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "shaders/shader_source.h"

namespace {

struct Sizes {
    int clientWidth;
    int clientHeight;
    int offscreenWidth;
    int offscreenHeight;
};

Sizes CurrentSizes()
{
    return Sizes{intro.shell.clientWidth, intro.shell.clientHeight, intro.renderer.offscreenWidth,
                 intro.renderer.offscreenHeight};
}

void ExpectSizes(const Sizes& sizes, int clientWidth, int clientHeight, int offscreenWidth, int offscreenHeight)
{
    EXPECT_EQ(sizes.clientWidth, clientWidth);
    EXPECT_EQ(sizes.clientHeight, clientHeight);
    EXPECT_EQ(sizes.offscreenWidth, offscreenWidth);
    EXPECT_EQ(sizes.offscreenHeight, offscreenHeight);
}

bool HasOffscreenTarget()
{
    const RendererState& r = intro.renderer;
    return r.offscreenTexture && r.offscreenTargetView && r.offscreenShaderView;
}

bool HasNoOffscreenTarget()
{
    const RendererState& r = intro.renderer;
    return !r.offscreenTexture && !r.offscreenTargetView && !r.offscreenShaderView;
}

void ExpectBuffers(UINT width, UINT height)
{
    DXGI_SWAP_CHAIN_DESC chain = {};
    ASSERT_HRESULT_SUCCEEDED(intro.renderer.swapChain->GetDesc(&chain));
    EXPECT_EQ(chain.BufferDesc.Width, width);
    EXPECT_EQ(chain.BufferDesc.Height, height);
    EXPECT_EQ(chain.BufferCount, 2u);
}

void ExpectOffscreenTexture(UINT width, UINT height)
{
    ASSERT_NE(intro.renderer.offscreenTexture, nullptr);
    D3D11_TEXTURE2D_DESC desc = {};
    intro.renderer.offscreenTexture->GetDesc(&desc);
    EXPECT_EQ(desc.Width, width);
    EXPECT_EQ(desc.Height, height);
}

TEST(RenderResize, BeforeTheRendererExistsNothingHappens)
{
    RenderTestBed bed(320, 200);
    bed.ResizeClient(400, 300);
    EXPECT_FALSE(ResizeRenderer(bed.window()));
    EXPECT_TRUE(bed.reports().empty());
    ExpectSizes(CurrentSizes(), 320, 200, 0, 0);
}

TEST(RenderResize, AnEmptyClientAreaChangesNothing)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    ID3D11RenderTargetView* view = intro.renderer.backBufferView;
    for (const auto& [width, height] : {std::pair{0, 200}, std::pair{320, 0}}) {
        bed.ResizeClient(width, height);
        EXPECT_FALSE(ResizeRenderer(bed.window()));
        EXPECT_EQ(intro.renderer.backBufferView, view);
        ExpectSizes(CurrentSizes(), 320, 200, 160, 100);
        EXPECT_TRUE(HasOffscreenTarget());
    }
    EXPECT_TRUE(bed.reports().empty());
    ExpectBuffers(320, 200);
}

TEST(RenderResize, OddSizesRoundTheOffscreenTargetDown)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    bed.ResizeClient(801, 601);
    EXPECT_TRUE(ResizeRenderer(bed.window()));
    EXPECT_TRUE(bed.reports().empty());
    ExpectSizes(CurrentSizes(), 801, 601, 400, 300);
    ExpectBuffers(801, 601);
    ExpectOffscreenTexture(400, 300);
}

// A full-screen toggle resizes twice (for its WM_SIZE and for its own call); a frame in between
// leaves the back buffer bound, which must not stop the resize.
TEST(RenderResize, ARepeatedRebuildEndsAsOneDoes)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    RenderFrame(0.5f);
    bed.ResizeClient(640, 480);
    EXPECT_TRUE(ResizeRenderer(bed.window()));
    const Sizes once = CurrentSizes();
    EXPECT_TRUE(ResizeRenderer(bed.window()));
    RenderFrame(0.6f);
    EXPECT_TRUE(ResizeRenderer(bed.window()));

    EXPECT_EQ(Script().resizesWithBoundTarget, 0);
    EXPECT_TRUE(bed.reports().empty());
    ExpectSizes(once, 640, 480, 320, 240);
    ExpectSizes(CurrentSizes(), 640, 480, 320, 240);
    ExpectBuffers(640, 480);
    ExpectOffscreenTexture(320, 240);
    EXPECT_NE(intro.renderer.backBufferView, nullptr);
}

struct ResizeFailure {
    const char* call;
    int occurrence;
    HRESULT result;
    const wchar_t* what;
};

void ExpectOneReport(const RenderTestBed& bed, const ResizeFailure& row)
{
    ASSERT_EQ(bed.reports().size(), 1u);
    EXPECT_EQ(bed.reports()[0].what, row.what);
    EXPECT_EQ(bed.reports()[0].code, static_cast<uint32_t>(row.result));
}

TEST(RenderResize, ASwapChainFailureLeavesNoBackBufferAndTheOldSizes)
{
    const ResizeFailure rows[] = {
        {"ResizeBuffers", 1, E_OUTOFMEMORY, L"ResizeBuffers"},
        {"GetBuffer", 1, E_FAIL, L"SwapChain::GetBuffer"},
        {"GetBuffer", 1, S_OK, L"SwapChain::GetBuffer"},
        {"CreateRenderTargetView", 1, E_OUTOFMEMORY, L"CreateRenderTargetView(backbuffer)"},
    };
    for (const ResizeFailure& row : rows) {
        SCOPED_TRACE(row.call);
        RenderTestBed bed(320, 200);
        ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
        bed.ResizeClient(400, 300);
        Script().Fail(row.call, row.occurrence, row.result);
        EXPECT_FALSE(ResizeRenderer(bed.window()));
        ASSERT_NO_FATAL_FAILURE(ExpectOneReport(bed, row));
        EXPECT_EQ(intro.renderer.backBufferView, nullptr);
        ExpectSizes(CurrentSizes(), 320, 200, 160, 100);
        ExpectOffscreenTexture(160, 100);

        // Frames go on without the back buffer: nothing is drawn through it, yet each is presented.
        const int presents = Script().presents;
        RenderFrame(1.0f);
        intro.shell.exit.exitActive = true;
        RenderFrame(1.1f);
        EXPECT_EQ(Script().presents, presents + 2);
        EXPECT_EQ(bed.reports().size(), 1u);

        // A later resize recovers.
        EXPECT_TRUE(ResizeRenderer(bed.window()));
        EXPECT_NE(intro.renderer.backBufferView, nullptr);
        ExpectSizes(CurrentSizes(), 400, 300, 200, 150);
    }
}

TEST(RenderResize, AnOffscreenFailureKeepsTheNewSizesWithoutATarget)
{
    const ResizeFailure rows[] = {
        {"CreateTexture2D", 1, E_OUTOFMEMORY, L"CreateTexture2D(RT)"},
        {"CreateRenderTargetView", 2, E_INVALIDARG, L"CreateRenderTargetView"},
        {"CreateShaderResourceView", 1, S_OK, L"CreateShaderResourceView"},
    };
    for (const ResizeFailure& row : rows) {
        SCOPED_TRACE(row.call);
        RenderTestBed bed(320, 200);
        ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
        bed.ResizeClient(400, 300);
        Script().Fail(row.call, row.occurrence, row.result);
        EXPECT_TRUE(ResizeRenderer(bed.window()));
        ASSERT_NO_FATAL_FAILURE(ExpectOneReport(bed, row));
        EXPECT_NE(intro.renderer.backBufferView, nullptr);
        EXPECT_TRUE(HasNoOffscreenTarget());
        ExpectSizes(CurrentSizes(), 400, 300, 200, 150);

        const int presents = Script().presents;
        RenderFrame(1.0f);
        EXPECT_EQ(Script().presents, presents + 1);
        EXPECT_EQ(bed.reports().size(), 1u);
    }
}

TEST(RenderResize, AClientOnePixelHighLeavesNoTargetAndNoReport)
{
    RenderTestBed bed(320, 200);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    bed.ResizeClient(400, 1);
    EXPECT_TRUE(ResizeRenderer(bed.window()));
    EXPECT_TRUE(bed.reports().empty());
    ExpectSizes(CurrentSizes(), 400, 1, 200, 0);
    ExpectBuffers(400, 1);
    EXPECT_TRUE(HasNoOffscreenTarget());

    const int presents = Script().presents;
    RenderFrame(1.0f);
    EXPECT_EQ(Script().presents, presents + 1);
}

}  // namespace

namespace {


// A lost device is answered by a new one with every object, silently, and the show goes on.
TEST(RenderDeviceLost, PresentThatLostTheDeviceRebuildsEverythingWithoutABox)
{
    RenderTestBed bed(320, 240);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    const size_t compiles = Script().compiledProfiles.size();
    RenderFrame(4.9f);
    RenderFrame(6.0f);
    const float scrolled = intro.scroller.scrollOffset;
    WitnessRendererObjects();

    Script().Fail("Present", 1, DXGI_ERROR_DEVICE_REMOVED);
    RenderFrame(6.5f);
    EXPECT_TRUE(bed.reports().empty());
    EXPECT_EQ(CreatedObjects(), AllRendererObjects());
    // The lost device's objects are gone, not kept beside the new ones.
    EXPECT_EQ(std::count(Script().log.begin(), Script().log.end(), "backBufferView"), 1);
    EXPECT_EQ(std::count(Script().log.begin(), Script().log.end(), "maskView"), 1);
    EXPECT_EQ(Script().compiledProfiles.size(), 2 * compiles);
    // The scroller went on from where it stood, not from its start.
    EXPECT_GT(intro.scroller.scrollOffset, scrolled);

    const int presents = Script().presents;
    RenderFrame(7.0f);
    EXPECT_EQ(Script().presents, presents + 1);
    EXPECT_TRUE(IsWindow(bed.window()));
}

TEST(RenderDeviceLost, ResizeThatFindsTheDeviceResetRebuildsAtTheNewSize)
{
    RenderTestBed bed(320, 240);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    bed.ResizeClient(400, 300);
    Script().Fail("ResizeBuffers", 1, DXGI_ERROR_DEVICE_RESET);
    EXPECT_TRUE(ResizeRenderer(bed.window()));
    EXPECT_TRUE(bed.reports().empty());
    EXPECT_EQ(CreatedObjects(), AllRendererObjects());
    ExpectSizes(CurrentSizes(), 400, 300, 200, 150);
    ExpectBuffers(400, 300);
}

TEST(RenderDeviceLost, ANewDeviceThatCannotBeMadeIsReportedOnceAndEndsTheShow)
{
    RenderTestBed bed(320, 240);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    Script().Fail("Present", 1, DXGI_ERROR_DEVICE_REMOVED);
    Script().Fail("D3D11CreateDeviceAndSwapChain", 1, E_OUTOFMEMORY);
    RenderFrame(6.0f);
    ASSERT_EQ(bed.reports().size(), 1u);
    EXPECT_EQ(bed.reports()[0].what, L"D3D11CreateDeviceAndSwapChain");
    EXPECT_TRUE(CreatedObjects().empty());
    EXPECT_FALSE(IsWindow(bed.window()));
    // A frame that still comes draws nothing and does not crash.
    RenderFrame(6.1f);
    EXPECT_EQ(bed.reports().size(), 1u);
}

}  // namespace
