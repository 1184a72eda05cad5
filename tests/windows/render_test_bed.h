#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "render_test_doubles.h"
#include "support/failure_recorder.h"

// One renderer test's world: a fresh intro state, a shown popup window whose client area has the
// given size (so client and window sizes agree), the wrapping doubles, and a failure recorder.
// Everything is released and reset when it goes.
class RenderTestBed {
public:
    RenderTestBed(int clientWidth, int clientHeight);
    ~RenderTestBed();
    RenderTestBed(const RenderTestBed&) = delete;
    RenderTestBed& operator=(const RenderTestBed&) = delete;

    HWND window() const { return window_; }
    void ResizeClient(int width, int height);
    const std::vector<FailureReport>& reports() const { return failures_.reports(); }

private:
    FailureRecorder failures_;
    HWND window_ = nullptr;
};

// The renderer's (and the mask's) object fields that are set, in the order InitRenderer makes them.
std::vector<std::string> CreatedObjects();

// The names of all those fields, in the same order.
std::vector<std::string> AllRendererObjects();

// Attaches a destruction witness to every device child the renderer holds.
void WitnessRendererObjects();

// Logs the program's own Release call of every device child the renderer holds, until
// StopWatchingReleases.
void WatchRendererReleases();
