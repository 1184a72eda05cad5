#include "render/frame_plan.h"

FramePlan PlanFrame(bool exitActive, bool hasOffscreenTarget, bool hasBackBuffer)
{
    FramePlan plan;
    plan.scenePass = !exitActive && hasOffscreenTarget;
    plan.compositePass = !exitActive && hasBackBuffer;
    plan.endPass = exitActive && hasBackBuffer;
    return plan;
}
