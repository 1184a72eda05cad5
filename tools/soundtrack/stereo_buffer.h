#pragma once

#include <cstddef>
#include <vector>

// Two channels of float samples at the track's rate.
struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoBuffer(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t Frames() const { return left.size(); }

    // Adds a sample with a constant-power pan (-1 left, +1 right); frames past the end are dropped.
    void Add(std::size_t frame, double value, double pan);
};
