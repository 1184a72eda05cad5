// Prints how long decoding the embedded track takes (the start-up time it adds) and what it yields.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "audio/music_player.h"
#include "audio/track_decoder.h"
#include "resources/resource_ids.h"

namespace {

double SecondsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main()
{
    constexpr int kRuns = 5;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    std::vector<double> decodeTimes;
    std::vector<uint8_t> pcm;
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        if (!DecodeTrackResource(instance, IDR_RCDATA1, pcm)) {
            std::printf("decode failed\n");
            return 1;
        }
        decodeTimes.push_back(SecondsSince(start, frequency));
        std::printf("decode run %d: %.1f ms\n", run + 1, decodeTimes.back() * 1000.0);
    }
    std::printf("decoded bytes: %zu (%zu frames, %.3f s)\n", pcm.size(), pcm.size() / 4, pcm.size() / 176400.0);
    std::printf("decode median of %d: %.1f ms\n", kRuns, Median(decodeTimes) * 1000.0);

    std::vector<double> startTimes;
    for (int run = 0; run < kRuns; ++run) {
        MusicState music;
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        const bool started = DecodeTrackResource(instance, IDR_RCDATA1, music.pcmBytes) && StartPlayback(music);
        startTimes.push_back(SecondsSince(start, frequency));
        StopMusicPlayer(music);
        if (!started) {
            std::printf("music start failed\n");
            return 1;
        }
    }
    std::printf("whole music start median of %d: %.1f ms\n", kRuns, Median(startTimes) * 1000.0);
    return 0;
}
