#pragma once

#include <windows.h>
#include <d3d11.h>
#include <d3dcompiler.h>

#include <string>
#include <string_view>
#include <vector>

#include "render/frame_rules.h"

// The two free platform entries the renderer calls, held as pointers so that tests can put a
// wrapping double in their place.
struct RendererPlatform {
    decltype(&D3D11CreateDeviceAndSwapChain) createDeviceAndSwapChain;
    decltype(&D3DCompile) compile;
};

extern RendererPlatform rendererPlatform;

// The real entries, for restoring after a test.
RendererPlatform SystemRendererPlatform();

// How InitRenderer compiles the end card's entry: with the others, or later on a worker thread,
// for the intro, whose first frame then need not wait for the longest compile.
enum class EndCardStart { WithTheOthers, InBackground };

// Creates the device, swap chain, targets, samplers, shaders (from the caller's HLSL text, which
// the renderer keeps a copy of) and constant buffer, then has the
// scroller mask built. False after the first failure, which has been reported. With the end card
// in the background its shader comes later, through FinishEndCard.
bool InitRenderer(std::string_view shaderText, EndCardStart endCard = EndCardStart::WithTheOthers);

// Takes the end card's shader up when InitRenderer left it for later. Without wait, the first call
// starts the worker that compiles it and each later one looks whether it has ended; with wait, it
// waits for the worker (or compiles here if none was started). Once the compile is done, judges it
// as start-up judges the others, makes the shader and warms it. False when the compile failed:
// that has been reported and the window closed. True otherwise, also while the worker runs.
bool FinishEndCard(bool wait);

// The byte code of every entry of one HLSL text: the shared vertex shader, each pass's pixel
// shader in the pass table's order, and the signature's. One reference each; null until compiled.
struct CompiledShaders {
    ID3DBlob* vertex = nullptr;
    ID3DBlob* pixel[kPassCount] = {};
    ID3DBlob* signature = nullptr;
    CompiledShaders() = default;
    ~CompiledShaders();
    CompiledShaders(const CompiledShaders&) = delete;
    CompiledShaders& operator=(const CompiledShaders&) = delete;
};

// The profiles of the device the renderer has made, for CompileShaderText.
ShaderProfiles RendererShaderProfiles();

// Compiles every entry of the text with the renderer's flags and the given profiles, naming the
// text sourceName in the compiler's messages. Touches no renderer state, so any thread may call
// it. Reports nothing: false, with the compiler's text (or the failed call) in messages, at the
// first entry that does not compile.
bool CompileShaderText(std::string_view shaderText, const char* sourceName, const ShaderProfiles& profiles,
                       CompiledShaders* compiled, std::string* messages);

// Makes shaders of all of the compiled code and, only when every one is made, puts them in place
// of the renderer's own between two frames, keeps the text they came from and warms them; an end
// card still compiling from the old text is dropped. Otherwise nothing changes and messages names
// the call that failed. Reports nothing: a failed replacement leaves the last good shaders running.
bool ReplaceShaders(std::string_view shaderText, const CompiledShaders& compiled, std::string* messages);

// Replaces the offscreen target by one of the given size; none when a size is not positive.
void CreateOffscreenTarget(int width, int height);

// Follows the window's client size; true when the back-buffer view was rebuilt at the new size.
bool ResizeRenderer(HWND window);

// Releases every renderer object and the scroller mask in one fixed order, clearing each field.
void ReleaseRenderer();

// After the driver lost the device (removed or reset), releases every device object and makes
// them all again at the current client size; the show goes on from the same loop time. When the
// new device cannot be made the failure has been reported and the window is closed. True when
// the renderer is whole again.
bool RecoverRenderer();

// Compiles one entry of the embedded shader text. On failure the compiler's text goes to the
// debugger output, "D3DCompile" is reported once, and the result is null.
ID3DBlob* CompileEntry(const char* entry, const char* profile);

// Makes a pass of the pass table ready to draw: its target cleared to black, the shared vertex
// shader with its pixel shader, its samplers, inputs and the frame's constants.
void BindPass(int pass);

// Takes the pass's inputs off the pipeline again, so that its target can be drawn into next.
void UnbindPass(int pass);

// Draws every pass that has its shader once into one pixel of its target, presenting nothing, so
// that the driver compiles each shader now and not at its first real frame (the end card's would
// stall the first frame after Escape), and the signature; then waits (at most 20 s) until the
// device has drawn them, as drivers that build a pipeline at its first draw would otherwise hold
// the first frames back while the loop clock runs on. Does nothing while the scroller mask is
// missing: start-up has failed then.
void WarmPasses();

// The same for one pass, whose shader has just been made.
void WarmPass(int pass);

// Told just before and just after each pass's draw, with the pass bound: how a development build
// times the passes of the frames it shows.
struct PassWatch {
    void (*before)(int pass, void* context);
    void (*after)(int pass, void* context);
    void* context;
};

// Draws one frame for loop time t into the back buffer without presenting it: the scroller step
// before Escape, the constants, and the passes of the normal or the end-card path.
void DrawFrame(float t, const PassWatch* watch = nullptr);

// Draws and presents one frame for loop time t, and closes the window when the end card is over.
// Before Escape each frame from the fourth presented on moves the end card's shader on
// (FinishEndCard without waiting); a first end-card frame that comes before it is ready waits.
void RenderFrame(float t);

// What a frame does besides drawing, for loop time t while the window is minimised: the
// scroller or the fade moves on, and the window closes on time.
void AdvanceUnseenFrame(float t);

// Blends the signature "dorv" into the back buffer over the frame drawn there, white with GDI's
// smoothing, its text cell's top-left 8 pixels from the left and 24 above the bottom. Nothing when
// the signature or the back buffer is missing.
void DrawSignature();

// GDI's pixels of text, white on black, top row first: 32-bit BGRX, as GDI writes them.
struct TextPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgrx;
};

// Writes the lines one below the other in the font, on a bitmap of a memory context compatible
// with the given one (null: the screen), each line's cell at the margin from the left, the first
// at the margin from the top. False when GDI cannot.
bool RasteriseText(HDC compatibleWith, HGDIOBJ font, const std::vector<std::wstring>& lines, int margin,
                   TextPixels* pixels);

// Draws an image made like the signature's (white on black, 32-bit BGRA, one texel per pixel) into
// the back buffer over the rectangle given in client pixels: with the signature's blend it lays
// white text over the picture, without a blend (null) it covers the rectangle.
void DrawImage(ID3D11ShaderResourceView* image, int left, int top, int width, int height, ID3D11BlendState* blend);

// Draws the signature into the frame and presents it (PresentFrame).
bool PresentWithSignature();

// Presents the back buffer on the next vertical blank; recovers the renderer when the device was
// lost, and notes an occluded window. False when the frame did not reach the screen.
bool PresentFrame();

// While the window is occluded, asks once with a test Present, which draws nothing, whether it
// still is; any other answer ends the occlusion, and a lost device is then met by the next frame's
// Present. True while it stays occluded.
bool ProbeOcclusion();
