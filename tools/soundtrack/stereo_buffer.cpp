#include "stereo_buffer.h"

#include <cmath>

void StereoBuffer::Add(std::size_t frame, double value, double pan) {
    if (frame >= left.size()) {
        return;
    }
    const double angle = (pan + 1.0) * 0.25 * 3.14159265358979323846;
    left[frame] += static_cast<float>(value * std::cos(angle));
    right[frame] += static_cast<float>(value * std::sin(angle));
}
