#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Width in pixels of a run of text as the scroller font draws it; 0 when it cannot be measured.
using TextMeasure = std::function<int32_t(std::u16string_view text)>;

// The ScrollerText without its percent signs, one stop point per marked segment and the text's width.
struct ScrollerLayout {
    std::u16string displayText;
    std::vector<int32_t> stopPoints;
    int32_t width = 0;
};

// A stop point is the segment's centre: the width of the text before it plus half the segment's width.
// The width is at least 1, so that it can serve as the scroll period.
ScrollerLayout LayoutScrollerText(std::u16string_view scrollerText, const TextMeasure& measure);

// Feature level 11_0 (0xb000) and higher allow 16384-pixel-wide textures, lower levels 8192.
constexpr uint32_t kFeatureLevel11 = 0xb000;
constexpr int32_t kMaskWidthCap11 = 16384;
constexpr int32_t kMaskWidthCap10 = 8192;

// The smallest power of two that holds the screen, a 64-pixel margin and the text, capped by the level.
int32_t ChooseMaskWidth(int32_t offscreenWidth, int32_t textWidth, uint32_t featureLevel);
