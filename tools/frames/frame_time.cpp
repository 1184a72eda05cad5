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
