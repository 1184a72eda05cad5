#pragma once

// Which passes a frame runs. A pass whose target view is missing (after a failed resize, a half
// size of 0 or a failed offscreen target) is skipped; the frame still presents and signs.
struct FramePlan {
    bool scenePass = false;
    bool compositePass = false;
    bool endPass = false;
};

FramePlan PlanFrame(bool exitActive, bool hasOffscreenTarget, bool hasBackBuffer);
