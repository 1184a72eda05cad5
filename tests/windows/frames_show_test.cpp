#include <gtest/gtest.h>

#include <string>

#include "core/intro_state.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "tools/frames/frame_time.h"
#include "tools/frames/image_compare.h"
#include "tools/frames/png_file.h"
#include "tools/frames/reference_shader.h"
#include "tools/frames/shader_set.h"
#include "tools/frames/show_check.h"
#include "shaders/shader_source.h"

// The shader text against the one it replaced (tests/windows/intro_reference.hlsl, a copy taken
// before the passes were made faster and never regenerated): across the whole show, not only at the
// reference frames' times, each frame must match within the reference frames' tolerance. Drawn
// small so that the test stays quick; htn_pass_benchmark --show-check draws the same frames large.
// A failing frame leaves show_<frame>_diff.png in the working folder.

namespace {

TEST(FramesShow, EveryFrameOfTheShowMatchesTheReferenceText)
{
    RenderTestBed bed(384, 216);
    ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    std::string error;
    ShaderSet reference;
    ShaderSet current;
    ASSERT_TRUE(reference.Compile(std::string(ReferenceShaderSource, ReferenceShaderSourceSize), &error)) << error;
    ASSERT_TRUE(current.Compile(CurrentShaderText(), &error)) << error;

    const FrameTolerance tolerance;
    for (const FrameTime& time : ShowFrameTimes()) {
        const std::string name = FrameName(time);
        SCOPED_TRACE(name);
        RgbaImage expected;
        RgbaImage actual;
        ASSERT_TRUE(DrawWithBoth(time, reference, current, &expected, &actual, &error)) << error;
        const FrameDifference difference = CompareFrames(expected, actual, tolerance.channelLevels);
        if (WithinTolerance(difference, tolerance)) continue;
        ADD_FAILURE() << difference.outliers << " of " << difference.pixels << " pixels differ by more than "
                      << tolerance.channelLevels << "/255 (largest " << difference.largestLevels << "/255)";
        WritePng(WidePath("show_" + name + "_diff.png"), DifferenceImage(expected, actual, tolerance.channelLevels),
                 &error);
    }
    EXPECT_TRUE(bed.reports().empty());
}

}  // namespace
