#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/frame_rules.h"

// A small Direct3D 11 bench that runs the intro's shaders on one full-screen triangle into an
// offscreen target and reads the pixels back, for pixel tests without a window or swap chain.

// The same 64-byte constant buffer that the renderer fills each frame.
using BenchConstants = SceneConstants;

// Constants for a pass whose resolution is width x height at the given loop time; the rest zero.
BenchConstants MakeBenchConstants(int width, int height, float time);

// Four bytes per pixel, rows top to bottom, in the texture's own channel order.
struct BenchTexture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

enum class ProfileFamily { Sm5, Sm4 };

const char* VertexProfile(ProfileFamily family);
const char* PixelProfile(ProfileFamily family);

struct BenchPass {
    std::string entry;                 // pixel-shader entry point
    ProfileFamily profiles = ProfileFamily::Sm5;
    std::string extraSource;           // appended to ShaderSource, for test-only entry points
    int width = 0;                     // render-target size
    int height = 0;
    BenchConstants constants{};
    const BenchTexture* mask = nullptr;   // t0 as B8G8R8A8, read through the border sampler
    const BenchTexture* input = nullptr;  // t1 as R8G8B8A8, read through the clamp sampler
};

// The R8G8B8A8_UNORM target as read back, rows top to bottom.
struct BenchFrame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    uint8_t Byte(int x, int y, int channel) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + channel]; }
    float Value(int x, int y, int channel) const { return Byte(x, y, channel) / 255.0f; }
};

class ShaderBench {
public:
    ShaderBench();
    ~ShaderBench();
    ShaderBench(const ShaderBench&) = delete;
    ShaderBench& operator=(const ShaderBench&) = delete;

    // Empty when the device exists, else why it does not.
    const std::string& DeviceError() const;

    // Compiles one entry of ShaderSource (plus extraSource) exactly as the renderer does.
    // message receives the compiler's text, if any.
    bool Compile(const std::string& entry, const char* profile, const std::string& extraSource,
                 std::string* message);

    // Draws the pass and reads the target back; on failure error says which step failed.
    bool Render(const BenchPass& pass, BenchFrame* frame, std::string* error);

private:
    struct Objects;
    std::unique_ptr<Objects> objects;
};

// One bench for the whole test run: compiled shaders are kept between tests.
ShaderBench& SharedShaderBench();
