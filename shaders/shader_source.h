#pragma once

// The intro's HLSL text, carried in the executable and compiled at start-up.
// ShaderSourceSize is the exact byte length; the array's trailing zero is not counted.
extern const char ShaderSource[];
extern const unsigned ShaderSourceSize;

#include <string_view>

// The embedded text as the intro hands it to the renderer.
inline std::string_view EmbeddedShaderText()
{
    return std::string_view(ShaderSource, ShaderSourceSize);
}
