#include "tools/frames/image_compare.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool SameSize(const RgbaImage& a, const RgbaImage& b)
{
    const size_t bytes = static_cast<size_t>(a.width) * static_cast<size_t>(a.height) * 4;
    return a.width == b.width && a.height == b.height && a.rgba.size() == bytes && b.rgba.size() == bytes;
}

// The largest colour-channel difference of the pixel that starts at byte index.
int PixelLevels(const RgbaImage& expected, const RgbaImage& actual, size_t index)
{
    int largest = 0;
    for (size_t channel = 0; channel < 3; ++channel) {
        largest = std::max(largest, std::abs(expected.rgba[index + channel] - actual.rgba[index + channel]));
    }
    return largest;
}

}  // namespace

FrameDifference CompareFrames(const RgbaImage& expected, const RgbaImage& actual, int channelLevels)
{
    FrameDifference difference;
    if (!SameSize(expected, actual)) return difference;
    difference.sameSize = true;
    difference.pixels = static_cast<long long>(expected.width) * expected.height;
    for (size_t index = 0; index < expected.rgba.size(); index += 4) {
        const int levels = PixelLevels(expected, actual, index);
        difference.largestLevels = std::max(difference.largestLevels, levels);
        if (levels > channelLevels) ++difference.outliers;
    }
    return difference;
}

bool WithinTolerance(const FrameDifference& difference, const FrameTolerance& tolerance)
{
    if (!difference.sameSize) return false;
    return static_cast<double>(difference.outliers) <=
           tolerance.outlierFraction * static_cast<double>(difference.pixels);
}

RgbaImage DifferenceImage(const RgbaImage& expected, const RgbaImage& actual, int channelLevels)
{
    RgbaImage image;
    if (!SameSize(expected, actual)) return image;
    image.width = expected.width;
    image.height = expected.height;
    image.rgba.resize(expected.rgba.size());
    for (size_t index = 0; index < expected.rgba.size(); index += 4) {
        const int levels = PixelLevels(expected, actual, index);
        uint8_t* out = &image.rgba[index];
        if (levels > channelLevels) {
            out[0] = static_cast<uint8_t>(std::min(255, 128 + 4 * levels));
            out[1] = 0;
            out[2] = 0;
        } else {
            const int sum = expected.rgba[index] + expected.rgba[index + 1] + expected.rgba[index + 2];
            const uint8_t grey = static_cast<uint8_t>(sum / 9);
            out[0] = out[1] = out[2] = grey;
        }
        out[3] = 255;
    }
    return image;
}
