#include "tools/frames/show_check.h"

#include "tools/frames/frame_capture.h"

bool DrawWithBoth(const FrameTime& time, const ShaderSet& reference, const ShaderSet& current, RgbaImage* expected,
                  RgbaImage* actual, std::string* error)
{
    {
        const ShaderLoan loan(reference);
        if (!CaptureFrame(time, expected, error)) return false;
    }
    const ShaderLoan loan(current);
    return CaptureFrame(time, actual, error);
}
