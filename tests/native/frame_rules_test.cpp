#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>

#include "render/frame_rules.h"

namespace {

TEST(RenderSceneConstants, LayoutMatchesTheShaderBuffer)
{
    EXPECT_EQ(sizeof(SceneConstants), 64u);
    EXPECT_EQ(offsetof(SceneConstants, resolution), 0u);
    EXPECT_EQ(offsetof(SceneConstants, invResolution), 8u);
    EXPECT_EQ(offsetof(SceneConstants, time), 16u);
    EXPECT_EQ(offsetof(SceneConstants, scroll), 20u);
    EXPECT_EQ(offsetof(SceneConstants, _pad0), 24u);
    EXPECT_EQ(offsetof(SceneConstants, maskTexel), 32u);
    EXPECT_EQ(offsetof(SceneConstants, exitMode), 40u);
    EXPECT_EQ(offsetof(SceneConstants, exitT), 44u);
    EXPECT_EQ(offsetof(SceneConstants, _pad1), 48u);
}

FrameInputs SampleInputs()
{
    FrameInputs inputs;
    inputs.offscreenWidth = 960;
    inputs.offscreenHeight = 540;
    inputs.t = 12.5f;
    inputs.scrollOffset = -37.25f;
    inputs.maskWidth = 4096;
    inputs.exitStartTime = 0.0f;
    return inputs;
}

// The buffer is mapped with discard, so the fill must not depend on or touch the padding.
SceneConstants PoisonedConstants()
{
    SceneConstants constants;
    std::memset(&constants, 0xA5, sizeof(constants));
    return constants;
}

void ExpectPaddingUntouched(const SceneConstants& constants)
{
    const SceneConstants poisoned = PoisonedConstants();
    EXPECT_EQ(std::memcmp(constants._pad0, poisoned._pad0, sizeof(constants._pad0)), 0);
    EXPECT_EQ(std::memcmp(constants._pad1, poisoned._pad1, sizeof(constants._pad1)), 0);
}

TEST(RenderSceneConstants, BeforeEscapeTheExitFieldsAreZero)
{
    SceneConstants constants = PoisonedConstants();
    FrameInputs inputs = SampleInputs();
    inputs.exitStartTime = 3.0f;  // a stale stamp must not leak into the constants
    FillSceneConstants(constants, inputs);

    EXPECT_EQ(constants.resolution[0], 960.0f);
    EXPECT_EQ(constants.resolution[1], 540.0f);
    EXPECT_EQ(constants.invResolution[0], 1.0f / 960.0f);
    EXPECT_EQ(constants.invResolution[1], 1.0f / 540.0f);
    EXPECT_EQ(constants.time, 12.5f);
    EXPECT_EQ(constants.scroll, -37.25f);
    EXPECT_EQ(constants.maskTexel[0], 1.0f / 4096.0f);
    EXPECT_EQ(constants.maskTexel[1], 0.0078125f);
    EXPECT_EQ(constants.exitMode, 0.0f);
    EXPECT_EQ(constants.exitT, 0.0f);
    ExpectPaddingUntouched(constants);
}

TEST(RenderSceneConstants, AfterEscapeExitTCountsFromThePress)
{
    SceneConstants constants = PoisonedConstants();
    FrameInputs inputs = SampleInputs();
    inputs.exitActive = true;
    inputs.t = 100.1f;
    inputs.exitStartTime = 99.85f;
    FillSceneConstants(constants, inputs);

    EXPECT_EQ(constants.exitMode, 1.0f);
    EXPECT_EQ(constants.exitT, 100.1f - 99.85f);
    EXPECT_NEAR(constants.exitT, 0.25f, 1e-5f);
    EXPECT_EQ(constants.time, 100.1f);
    // The end card is laid out on the offscreen size, not the client size.
    EXPECT_EQ(constants.resolution[0], 960.0f);
    EXPECT_EQ(constants.resolution[1], 540.0f);
    ExpectPaddingUntouched(constants);
}

TEST(RenderHalfSize, TruncatesOddSizesAndReachesZero)
{
    EXPECT_EQ(HalfSize(801), 400);
    EXPECT_EQ(HalfSize(601), 300);
    EXPECT_EQ(HalfSize(767), 383);
    EXPECT_EQ(HalfSize(1920), 960);
    EXPECT_EQ(HalfSize(1), 0);
    EXPECT_EQ(HalfSize(0), 0);
}

TEST(RenderEndCardClose, DestroysOnceInTheFirstFrameAtTenSeconds)
{
    bool windowDestroyed = false;
    int closes = 0;
    int firstCloseFrame = -1;
    const float exitTimes[] = {0.0f, 5.0f, 9.99f, std::nextafter(10.0f, 0.0f), 10.0f, 10.016f, 10.5f, 30.0f};
    for (int frame = 0; frame < static_cast<int>(std::size(exitTimes)); ++frame) {
        if (ShouldCloseWindow(windowDestroyed, exitTimes[frame])) {
            windowDestroyed = true;
            if (closes++ == 0) firstCloseFrame = frame;
        }
    }
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(firstCloseFrame, 4);
}

TEST(RenderEndCardClose, ALateFrameClosesAndANaNTimeNever)
{
    EXPECT_TRUE(ShouldCloseWindow(false, 10.3f));
    EXPECT_FALSE(ShouldCloseWindow(false, std::numeric_limits<float>::quiet_NaN()));
}

TEST(RenderFramePlan, SkipsOnlyThePassesWhoseTargetIsMissing)
{
    const FramePlan full = PlanFrame(false, true, true);
    EXPECT_TRUE(full.run[kScenePass]);
    EXPECT_TRUE(full.run[kCompositePass]);
    EXPECT_FALSE(full.run[kEndPass]);

    const FramePlan noOffscreen = PlanFrame(false, false, true);
    EXPECT_FALSE(noOffscreen.run[kScenePass]);
    EXPECT_TRUE(noOffscreen.run[kCompositePass]);

    const FramePlan noBackBuffer = PlanFrame(false, true, false);
    EXPECT_TRUE(noBackBuffer.run[kScenePass]);
    EXPECT_FALSE(noBackBuffer.run[kCompositePass]);

    const FramePlan endCard = PlanFrame(true, true, true);
    EXPECT_FALSE(endCard.run[kScenePass]);
    EXPECT_FALSE(endCard.run[kCompositePass]);
    EXPECT_TRUE(endCard.run[kEndPass]);

    EXPECT_FALSE(PlanFrame(true, true, false).run[kEndPass]);
}

TEST(RenderPassTable, NamesTheShaderEntriesAndTargetsOfTheThreePasses)
{
    // The scene draws at half size for the composite to stretch; the end card replaces both.
    EXPECT_STREQ(kPasses[kScenePass].entry, "ScenePS");
    EXPECT_EQ(kPasses[kScenePass].target, PassTarget::Offscreen);
    EXPECT_STREQ(kPasses[kCompositePass].entry, "CompositePS");
    EXPECT_EQ(kPasses[kCompositePass].target, PassTarget::BackBuffer);
    EXPECT_STREQ(kPasses[kEndPass].entry, "EndPS");
    EXPECT_EQ(kPasses[kEndPass].target, PassTarget::BackBuffer);
    const PassSize half = PassTargetSize(PassTarget::Offscreen, 1921, 1081);
    EXPECT_EQ(half.width, 960);
    EXPECT_EQ(half.height, 540);
    const PassSize full = PassTargetSize(PassTarget::BackBuffer, 1921, 1081);
    EXPECT_EQ(full.width, 1921);
    EXPECT_EQ(full.height, 1081);
}

}  // namespace

namespace {

TEST(RenderDeviceLost, OnlyARemovedOrResetDeviceCountsAsLost)
{
    EXPECT_TRUE(IsDeviceLost(0x887A0005u));   // DXGI_ERROR_DEVICE_REMOVED
    EXPECT_TRUE(IsDeviceLost(0x887A0007u));   // DXGI_ERROR_DEVICE_RESET
    EXPECT_FALSE(IsDeviceLost(0u));
    EXPECT_FALSE(IsDeviceLost(0x087A0001u));  // DXGI_STATUS_OCCLUDED: a success
    EXPECT_FALSE(IsDeviceLost(0x887A0001u));  // DXGI_ERROR_INVALID_CALL
}

}  // namespace
