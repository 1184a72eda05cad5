#pragma once

#include <cstdint>
#include <vector>

// A picture as four bytes per pixel (red, green, blue, alpha), rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};
