#include "scroller/scroller_layout.h"

#include <algorithm>

namespace {

constexpr char16_t kMarker = u'%';
constexpr int64_t kMaskMargin = 64;
constexpr int64_t kLargestDoubling = int64_t{1} << 30;

}  // namespace

ScrollerLayout LayoutScrollerText(std::u16string_view scrollerText, const TextMeasure& measure)
{
    ScrollerLayout layout;
    std::size_t i = 0;
    while (i < scrollerText.size()) {
        if (scrollerText[i] != kMarker) {
            layout.displayText += scrollerText[i];
            ++i;
            continue;
        }
        const std::size_t close = scrollerText.find(kMarker, i + 1);
        const std::size_t end = close == std::u16string_view::npos ? scrollerText.size() : close;
        const std::u16string_view segment = scrollerText.substr(i + 1, end - (i + 1));
        // Each piece is measured on its own, not cut out of one measurement of the whole line.
        const int32_t prefixWidth = measure(layout.displayText);
        const int32_t segmentWidth = measure(segment);
        layout.stopPoints.push_back(prefixWidth + segmentWidth / 2);
        layout.displayText += segment;
        i = close == std::u16string_view::npos ? end : end + 1;
    }
    const int32_t width = measure(layout.displayText);
    layout.width = width > 0 ? width : 1;
    return layout;
}

int32_t ChooseMaskWidth(int32_t offscreenWidth, int32_t textWidth, uint32_t featureLevel)
{
    const int64_t needed = int64_t{offscreenWidth} + kMaskMargin + textWidth;
    int64_t width = 1;
    while (width < needed && width < kLargestDoubling) {
        width *= 2;
    }
    const int64_t cap = featureLevel >= kFeatureLevel11 ? kMaskWidthCap11 : kMaskWidthCap10;
    return static_cast<int32_t>(std::min(width, cap));
}
