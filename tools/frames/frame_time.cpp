#include "tools/frames/frame_time.h"

#include <cstdio>

FrameTime IntroFrame(float t)
{
    FrameTime time;
    time.t = t;
    return time;
}

FrameTime EndCardFrame(float exitT)
{
    FrameTime time;
    time.t = kReferenceEscapeTime + exitT;
    time.exitActive = true;
    time.exitStartTime = kReferenceEscapeTime;
    return time;
}

std::string FrameName(const FrameTime& time)
{
    char name[64];
    if (!time.exitActive) {
        std::snprintf(name, sizeof name, "t%05.2f", static_cast<double>(time.t));
    } else if (time.exitStartTime == kReferenceEscapeTime) {
        std::snprintf(name, sizeof name, "exit%.2f", static_cast<double>(time.t - time.exitStartTime));
    } else {
        std::snprintf(name, sizeof name, "t%05.2f-exit%.2f", static_cast<double>(time.t),
                      static_cast<double>(time.t - time.exitStartTime));
    }
    return name;
}

std::string SizeName(const FrameSize& size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::vector<FrameTime> ReferenceFrameTimes()
{
    return {IntroFrame(3.25f), IntroFrame(4.5f),  IntroFrame(8.0f),    IntroFrame(12.0f),
            IntroFrame(20.0f), EndCardFrame(0.3f), EndCardFrame(2.0f), EndCardFrame(4.5f)};
}

std::vector<FrameSize> ReferenceSizes()
{
    return {{960, 540}, {1920, 1080}};
}

std::vector<FrameTime> ShowFrameTimes()
{
    constexpr int kIntroFrames = 60;
    constexpr int kEndCardFrames = 40;
    std::vector<FrameTime> times;
    for (int i = 0; i < kIntroFrames; ++i) {
        times.push_back(IntroFrame(2.6f + (40.0f - 2.6f) * static_cast<float>(i) / (kIntroFrames - 1)));
    }
    for (int i = 0; i < kEndCardFrames; ++i) {
        times.push_back(EndCardFrame(0.05f + (9.9f - 0.05f) * static_cast<float>(i) / (kEndCardFrames - 1)));
    }
    return times;
}
