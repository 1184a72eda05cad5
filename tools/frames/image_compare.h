#pragma once

#include "tools/frames/rgba_image.h"

// How far a fresh frame may stray from its reference. Software rasterisers round differently on
// different CPUs (fused multiply-add or not), which moves a few ray-march hits at silhouette edges.
struct FrameTolerance {
    int channelLevels = 2;             // allowed |difference| of every colour channel, in 1/255 steps
    double outlierFraction = 0.001;    // share of pixels that may exceed it
};

// How two pictures differ in their colour channels (alpha is not compared).
struct FrameDifference {
    bool sameSize = false;
    long long pixels = 0;
    long long outliers = 0;  // pixels with a channel beyond the allowed difference
    int largestLevels = 0;   // largest channel difference seen, in 1/255 steps
};

FrameDifference CompareFrames(const RgbaImage& expected, const RgbaImage& actual, int channelLevels);

bool WithinTolerance(const FrameDifference& difference, const FrameTolerance& tolerance);

// Where the pictures differ: the expected picture dimmed to a third in grey, with every pixel
// beyond channelLevels in red, brighter the larger its difference. Empty when the sizes differ.
RgbaImage DifferenceImage(const RgbaImage& expected, const RgbaImage& actual, int channelLevels);
