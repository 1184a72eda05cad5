#pragma once

#include <d3dcompiler.h>

// The profiles for the device's feature level: shader model 5 from level 11_0, else 4.
struct ShaderProfiles {
    const char* vertex;
    const char* pixel;
};
ShaderProfiles ChooseShaderProfiles(D3D_FEATURE_LEVEL featureLevel);

// Compiles one entry of the embedded shader text. On failure the compiler's text goes to the
// debugger output, "D3DCompile" is reported once, and the result is null.
ID3DBlob* CompileEntry(const char* entry, const char* profile);
