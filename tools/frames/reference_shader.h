#pragma once

// The shader text as it stood before the passes were made faster (tests/windows/intro_reference.hlsl),
// embedded at build time: what the optimised text must still draw, pixel for pixel within tolerance.
extern const char ReferenceShaderSource[];
extern const unsigned ReferenceShaderSourceSize;
