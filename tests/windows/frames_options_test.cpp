#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/frames/frames_options.h"

namespace {

bool Parse(const std::vector<std::string>& args, FramesOptions* options, std::string* error)
{
    return ParseFramesOptions(args, options, error);
}

TEST(FramesOptions, EachOutTakesTheTimesGivenBeforeIt)
{
    FramesOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--size", "1920x1080", "--t", "12", "--out", "a.png", "--exit-t", "4.5", "--out", "b.png",
                       "--t", "30", "--exit-t", "2", "--out", "c.png"},
                      &options, &error))
        << error;
    EXPECT_EQ(options.size.width, 1920);
    EXPECT_EQ(options.size.height, 1080);
    ASSERT_EQ(options.jobs.size(), 3u);
    EXPECT_EQ(options.jobs[0].outputPath, "a.png");
    EXPECT_EQ(options.jobs[0].time.t, 12.0f);
    EXPECT_FALSE(options.jobs[0].time.exitActive);
    // An end card on its own has Escape at the reference time.
    EXPECT_EQ(options.jobs[1].time.t, 24.5f);
    EXPECT_TRUE(options.jobs[1].time.exitActive);
    EXPECT_EQ(options.jobs[1].time.exitStartTime, 20.0f);
    EXPECT_EQ(options.jobs[2].time.t, 30.0f);
    EXPECT_EQ(options.jobs[2].time.exitStartTime, 28.0f);
    EXPECT_EQ(FrameName(options.jobs[0].time), "t12.00");
    EXPECT_EQ(FrameName(options.jobs[1].time), "exit4.50");
    EXPECT_EQ(FrameName(options.jobs[2].time), "t30.00-exit2.00");
}

TEST(FramesOptions, RejectsMalformedAndIncompleteRequests)
{
    const std::vector<std::vector<std::string>> bad = {
        {},                                                // nothing to do
        {"--out", "a.png"},                                // no time
        {"--t", "3"},                                      // a time without --out
        {"--t", "-1", "--out", "a.png"},                   // negative time
        {"--t", "nan", "--out", "a.png"},                  // not a number
        {"--t", "4x", "--out", "a.png"},                   // trailing text
        {"--t", "2", "--exit-t", "3", "--out", "a.png"},   // Escape before the loop began
        {"--size", "1x540", "--t", "1", "--out", "a.png"}, // no offscreen pixels
        {"--size", "960", "--t", "1", "--out", "a.png"},
        {"--size", "99999x540", "--t", "1", "--out", "a.png"},
        {"--t", "1", "--out"},                             // option without its value
        {"--frames", "3"},
        {"--reference-set", "r", "--t", "1", "--out", "a.png"},
        {"--reference-set", "r", "--size", "960x540"},
    };
    for (const std::vector<std::string>& args : bad) {
        FramesOptions options;
        std::string error;
        std::string joined;
        for (const std::string& arg : args) joined += arg + " ";
        EXPECT_FALSE(Parse(args, &options, &error)) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
}

TEST(FramesOptions, TheReferenceSetNeedsOnlyItsFolder)
{
    FramesOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--reference-set", "reference"}, &options, &error)) << error;
    EXPECT_EQ(options.referenceFolder, "reference");
    EXPECT_TRUE(options.jobs.empty());
}

}  // namespace
