#pragma once

#include <string>
#include <vector>

// Limits of a capture. Each side is even because the video's 4:2:0 colour planes are half size; the
// largest side is the largest texture of feature level 11_0; an Escape is at most ten minutes in.
constexpr int kSmallestCaptureSide = 16;
constexpr int kLargestCaptureSide = 16384;
constexpr int kLargestFps = 240;
constexpr float kLatestEscape = 600.0f;

// What htn_capture is asked to do. Without escapeGiven, Escape comes when the scroller has
// finished; without untilGiven, the capture runs until the end card would close the window.
struct CaptureOptions {
    int width = 1920;
    int height = 1080;
    int fps = 60;
    bool escapeGiven = false;
    float escapeAt = 0.0f;
    bool untilGiven = false;
    float until = 0.0f;
    std::string audioPath;
};

extern const char kCaptureUsage[];

// Reads the arguments (without the program name); false, with the reason in error, for anything
// malformed or out of range.
bool ParseCaptureOptions(const std::vector<std::string>& args, CaptureOptions* options, std::string* error);
