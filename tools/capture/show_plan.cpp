#include "tools/capture/show_plan.h"

#include "core/intro_state.h"
#include "app/shell_rules.h"
#include "render/frame_rules.h"
#include "scroller/scroller.h"

float CaptureFrameTime(int frame, int fps) { return LoopTime(frame, fps, 0); }

float ScrollerEndEscape(int fps, float hold, float latest)
{
    float escapeAt = -1.0f;
    for (int frame = 0;; ++frame) {
        const float t = CaptureFrameTime(frame, fps);
        if (t + hold > latest) break;
        UpdateScroller(t);
        if (intro.scroller.scrollFinished) {
            escapeAt = t + hold;
            break;
        }
    }
    static_cast<ScrollMotion&>(intro.scroller) = ScrollMotion();
    return escapeAt;
}

int FramesUntilClose(int fps, float escapeAt)
{
    int frame = 0;
    while (!ShouldCloseWindow(false, ExitSeconds(CaptureFrameTime(frame, fps), escapeAt))) ++frame;
    return frame + 1;
}

int FramesBefore(int fps, float until)
{
    int frame = 0;
    while (CaptureFrameTime(frame, fps) < until) ++frame;
    return frame;
}

int64_t SoundFramesFor(int frameCount, int fps, int sampleRate)
{
    return (int64_t{frameCount} * sampleRate + fps / 2) / fps;
}
