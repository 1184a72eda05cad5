#include "render/scene_constants.h"

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
