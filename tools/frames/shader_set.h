#pragma once

#include <d3d11.h>

#include <string>

#include "render/frame_rules.h"

// The vertex shader and one pixel shader per pass of the pass table, compiled from an HLSL text on
// the renderer's device with the renderer's profiles and flags: a shader text to draw or time
// beside the one the renderer carries.
class ShaderSet {
public:
    ShaderSet() = default;
    ~ShaderSet();
    ShaderSet(const ShaderSet&) = delete;
    ShaderSet& operator=(const ShaderSet&) = delete;

    // False, with the compiler's text or the failed call in error, when an entry cannot be made.
    bool Compile(const std::string& text, std::string* error);

    ID3D11VertexShader* vertex = nullptr;
    ID3D11PixelShader* pixel[kPassCount] = {};
};

// While it lives, the renderer draws with the set's shaders; its own come back when it goes.
class ShaderLoan {
public:
    explicit ShaderLoan(const ShaderSet& set);
    ~ShaderLoan();
    ShaderLoan(const ShaderLoan&) = delete;
    ShaderLoan& operator=(const ShaderLoan&) = delete;

private:
    ID3D11VertexShader* ownVertex;
    ID3D11PixelShader* ownPixel[kPassCount];
};

// The renderer's own shader text, as embedded in the executable.
std::string CurrentShaderText();
