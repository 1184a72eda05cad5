#pragma once

#include <d3d11.h>
#include <d3dcompiler.h>
#include <dxgi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the renderer's platform doubles do: which call fails, what was logged, what was presented.
struct RenderScript {
    // The occurrence-th call (1-based, counted from now) of a method returns result with no object
    // (for Present: without presenting).
    void Fail(const std::string& call, int occurrence, HRESULT result);
    // Counts the call and tells whether it must fail, and with which result. Safe from any thread.
    bool ShouldFail(const std::string& call, HRESULT& result);

    struct Injection {
        std::string call;
        int remaining;
        HRESULT result;
    };
    std::vector<Injection> injections;

    bool onlyFeatureLevel10 = false;  // device creation offers only 10_0, as old hardware would
    bool capturePresents = false;     // copy buffer 0 at every Present
    bool witnessTextures = false;     // log "texture" when a texture the device made is destroyed
    std::vector<std::string> log;     // Release calls of the wrapped objects and destruction of witnessed ones
    std::vector<std::string> compiledProfiles;  // "entry:profile" for every compile, on whichever thread
    int presents = 0;                 // Present calls that reached the real swap chain
    // Every Present call, scripted or real, with what it returned.
    struct PresentCall {
        UINT interval;
        UINT flags;
        HRESULT result;
    };
    std::vector<PresentCall> presentCalls;
    int presentMilliseconds = 0;           // each real Present first takes this long, as one waiting for the blank
    std::function<void()> onPresent;       // runs after every Present call
    int resizes = 0;                  // ResizeBuffers calls
    std::function<void()> onDeviceRelease;  // runs at every Release of the device
    int resizesWithBoundTarget = 0;

    // The last presented picture: RGBA bytes, top row first.
    std::vector<uint8_t> presented;
    UINT presentedWidth = 0;
    UINT presentedHeight = 0;
};

// The script the installed doubles follow; reset by InstallRenderDoubles.
RenderScript& Script();

// Puts the wrapping device creation and compiler in the renderer's place, with a fresh script.
void InstallRenderDoubles();
void RemoveRenderDoubles();

// A device double over real, which it takes the caller's reference of; it follows Script().
ID3D11Device* WrapDevice(ID3D11Device* real);

// Logs name into the script when object is destroyed (the object releases its private data then).
void WitnessDestruction(ID3D11DeviceChild* object, const char* name);

// Logs name into the script at every Release of object that this executable makes on the test's
// thread, until StopWatchingReleases. It sees the program's own releases, whenever the runtime
// destroys the object (some keep state objects cached until the device goes).
void WatchReleases(IUnknown* object, const char* name);
void StopWatchingReleases();
