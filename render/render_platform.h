#pragma once

#include <d3d11.h>
#include <d3dcompiler.h>

// The two free platform entries the renderer calls, held as pointers so that tests can put a
// wrapping double in their place.
struct RendererPlatform {
    decltype(&D3D11CreateDeviceAndSwapChain) createDeviceAndSwapChain;
    decltype(&D3DCompile) compile;
};

extern RendererPlatform rendererPlatform;

// The real entries, for restoring after a test.
RendererPlatform SystemRendererPlatform();
