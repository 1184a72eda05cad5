#include "render/render_platform.h"

RendererPlatform SystemRendererPlatform() { return RendererPlatform{&D3D11CreateDeviceAndSwapChain, &D3DCompile}; }

RendererPlatform rendererPlatform = SystemRendererPlatform();
