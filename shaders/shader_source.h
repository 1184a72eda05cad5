#pragma once

// The intro's HLSL text, carried in the executable and compiled at start-up.
// ShaderSourceSize is the exact byte length; the array's trailing zero is not counted.
extern const char ShaderSource[];
extern const unsigned ShaderSourceSize;
