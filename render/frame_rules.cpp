#include "render/frame_rules.h"

int HalfSize(int clientSize) { return static_cast<int>(static_cast<float>(clientSize) * 0.5f); }

PassSize PassTargetSize(PassTarget target, int clientWidth, int clientHeight)
{
    if (target == PassTarget::Offscreen) return PassSize{HalfSize(clientWidth), HalfSize(clientHeight)};
    return PassSize{clientWidth, clientHeight};
}

FramePlan PlanFrame(bool exitActive, bool hasOffscreenTarget, bool hasBackBuffer)
{
    FramePlan plan;
    for (int pass = 0; pass < kPassCount; ++pass) {
        const bool hasTarget = kPasses[pass].target == PassTarget::Offscreen ? hasOffscreenTarget : hasBackBuffer;
        plan.run[pass] = kPasses[pass].endCard == exitActive && hasTarget;
    }
    return plan;
}

float ExitSeconds(float t, float exitStartTime) { return t - exitStartTime; }

void FillSceneConstants(SceneConstants& constants, const FrameInputs& inputs)
{
    const float width = static_cast<float>(inputs.offscreenWidth);
    const float height = static_cast<float>(inputs.offscreenHeight);
    constants.resolution[0] = width;
    constants.resolution[1] = height;
    constants.invResolution[0] = 1.0f / width;
    constants.invResolution[1] = 1.0f / height;
    constants.time = inputs.t;
    constants.scroll = inputs.scrollOffset;
    constants.maskTexel[0] = 1.0f / static_cast<float>(inputs.maskWidth);
    constants.maskTexel[1] = kMaskTexelHeight;
    constants.exitMode = inputs.exitActive ? 1.0f : 0.0f;
    constants.exitT = inputs.exitActive ? ExitSeconds(inputs.t, inputs.exitStartTime) : 0.0f;
}

SignatureBox PlaceSignature(int clientHeight, int textWidth, int textHeight)
{
    return SignatureBox{kSignatureLeft - kSignatureMargin, clientHeight - kSignatureRise - kSignatureMargin,
                        textWidth + 2 * kSignatureMargin, textHeight + 2 * kSignatureMargin};
}

bool ShouldCloseWindow(bool windowDestroyed, float exitT) { return !windowDestroyed && exitT >= kEndCardSeconds; }

bool IsDeviceLost(uint32_t result) { return result == kDeviceRemoved || result == kDeviceReset; }

ShaderProfiles ChooseShaderProfiles(uint32_t featureLevel)
{
    if (featureLevel >= kFeatureLevel11) return ShaderProfiles{"vs_5_0", "ps_5_0"};
    return ShaderProfiles{"vs_4_0", "ps_4_0"};
}
