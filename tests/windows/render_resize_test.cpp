#include <gtest/gtest.h>

#include <string>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "render_test_bed.h"

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
    ASSERT_TRUE(InitRenderer());
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
    ASSERT_TRUE(InitRenderer());
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
    ASSERT_TRUE(InitRenderer());
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
        ASSERT_TRUE(InitRenderer());
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
        ASSERT_TRUE(InitRenderer());
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
    ASSERT_TRUE(InitRenderer());
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
