#pragma once

#include <windows.h>
#include <d3d11.h>
#include <dxgi.h>
#include <xaudio2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/intro_fields.h"

// The shell's fields: clock, window, client size, Escape and the full-screen toggle.
struct ShellState {
    int64_t clockFrequency = 0;
    int64_t loopStartCounter = 0;  // counter value when the loop began
    HWND mainWindow = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    ExitState exit;
    FullscreenState fullscreen;
};

// The renderer's objects and sizes: one counted reference each, null until created. The pixel
// shaders follow the pass table's order.
struct RendererState {
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain* swapChain = nullptr;
    D3D_FEATURE_LEVEL featureLevel = static_cast<D3D_FEATURE_LEVEL>(0);
    ID3D11RenderTargetView* backBufferView = nullptr;
    ID3D11SamplerState* linearSampler = nullptr;
    ID3D11SamplerState* maskBorderSampler = nullptr;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShaders[3] = {};
    ID3D11Buffer* constantBuffer = nullptr;
    // The HLSL text the shaders were compiled from, as the caller handed it over: a lost device and
    // the end card's later compile need it again.
    std::string shaderText;

    ID3D11Texture2D* offscreenTexture = nullptr;
    ID3D11RenderTargetView* offscreenTargetView = nullptr;
    ID3D11ShaderResourceView* offscreenShaderView = nullptr;
    int offscreenWidth = 0;
    int offscreenHeight = 0;

    // The signature "dorv", rasterised once with GDI and blended over the back buffer before every
    // Present, so it is part of each presented picture.
    ID3D11PixelShader* signaturePixelShader = nullptr;
    ID3D11Texture2D* signatureTexture = nullptr;
    ID3D11ShaderResourceView* signatureView = nullptr;
    ID3D11BlendState* signatureBlend = nullptr;
    int signatureWidth = 0;
    int signatureHeight = 0;

    bool windowDestroyed = false;
    int framesPresented = 0;  // frames whose Present showed them

    // Set by a Present that found the window occluded (the desktop locked, a screen saver, another
    // program in exclusive full screen); nothing is drawn until a test Present finds it visible.
    bool occluded = false;

    // The end card's entry, compiled on a worker thread once the show has begun, as nothing needs
    // it before Escape; the profile is set while it waits to be taken up. The worker reads the
    // profile, writes the last three and ends; the main thread reads them only after it has ended,
    // then makes the end card's shader.
    HANDLE endCardWorker = nullptr;
    const char* endCardProfile = nullptr;
    HRESULT endCardResult = S_OK;
    ID3DBlob* endCardCode = nullptr;
    ID3DBlob* endCardMessages = nullptr;
};

// The scroller's text, mask and stop points (set once by BuildScrollerMask) and, as its base, the
// motion that UpdateScroller moves each frame (intro.scroller.scrollOffset and so on).
struct ScrollerState : ScrollMotion {
    std::u16string scrollerText;
    int32_t maskWidth = 0;
    ID3D11Texture2D* maskTexture = nullptr;
    ID3D11ShaderResourceView* maskView = nullptr;
    std::vector<int32_t> stopPoints;
    int32_t scrollPeriod = 0;
    int32_t scrollLimit = 0;
};

// XAudio2 2.9's creation entries, looked up at run time so that a missing library only costs the sound.
using XAudio2CreateWithVersionInfoEntry = HRESULT(WINAPI*)(IXAudio2**, UINT32, UINT32, DWORD);
using XAudio2CreateEntry = HRESULT(WINAPI*)(IXAudio2**, UINT32, UINT32);

// The music player's engine, voices and decoded track. Voices and engine are one reference each,
// null until made; the library and its entries stay for the whole process once found.
struct MusicState {
    IXAudio2* audioEngine = nullptr;
    // Told by the engine's own thread when the audio output is gone; read by the main loop.
    IXAudio2EngineCallback* engineWatch = nullptr;
    volatile LONG engineLost = 0;
    IXAudio2MasteringVoice* masteringVoice = nullptr;
    IXAudio2SourceVoice* sourceVoice = nullptr;
    WAVEFORMATEX pcmFormat{};
    float musicVolume = 1.0f;
    // A development build's timeline holds the voice still or silent; the show never does.
    bool paused = false;
    bool muted = false;
    // Interleaved 16-bit stereo frames at 44,100 Hz; the source voice reads them in place.
    std::vector<uint8_t> pcmBytes;

    HMODULE xaudioLibrary = nullptr;
    XAudio2CreateWithVersionInfoEntry createWithVersionInfo = nullptr;
    XAudio2CreateEntry create = nullptr;
};

// The program's process-wide state, each part owned by its subsystem.
struct IntroState {
    ShellState shell;
    RendererState renderer;
    ScrollerState scroller;
    MusicState music;
};

extern IntroState intro;

// The toggle's rectangles travel as RECT.
static_assert(sizeof(WindowRect) == sizeof(RECT) && offsetof(WindowRect, left) == offsetof(RECT, left) &&
                  offsetof(WindowRect, top) == offsetof(RECT, top) &&
                  offsetof(WindowRect, right) == offsetof(RECT, right) &&
                  offsetof(WindowRect, bottom) == offsetof(RECT, bottom),
              "WindowRect is laid out as RECT");

// Drops the one reference a field holds and clears the field.
template <typename T>
void ReleaseField(T*& field)
{
    if (field) {
        field->Release();
        field = nullptr;
    }
}

// Makes an immutable 32-bit BGRA texture of width x height from pixels (top row first, no row
// padding) and its shader view. Each failure is reported once with its tag; then neither object
// is kept and the result is false.
bool CreateImmutableImage(ID3D11Device* device, const void* pixels, int width, int height, const wchar_t* textureTag,
                          const wchar_t* viewTag, ID3D11Texture2D** texture, ID3D11ShaderResourceView** view);
