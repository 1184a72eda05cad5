#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/intro_fields.h"

// The scroller's platform-free rules: its message and the text normalisation, the layout of stop
// points and the mask width, and the scroll motion.

// The scroller's fixed message: UTF-16, 313 units before the terminator, segments between percent signs.
extern const char16_t ScrollerMessage[];

// Tells whether one UTF-16 unit counts as white space.
using WhiteSpaceTest = bool (*)(char16_t unit);

// TAB, LF, CR, or whatever the runtime's iswspace accepts in the default locale.
bool IsRuntimeWhiteSpace(char16_t unit);

// One line with single blanks between words, each %segment% trimmed and kept between its percent
// signs (an unterminated one closed at the end), and every inner bullet set off by blanks.
std::u16string NormaliseScrollerText(std::u16string_view message, WhiteSpaceTest isWhiteSpace = IsRuntimeWhiteSpace);

// The normalised embedded ScrollerMessage.
std::u16string BuildScrollerText();

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

// What the motion runs over: the screen width in offscreen pixels and the laid-out text.
struct ScrollCourse {
    int32_t offscreenWidth = 0;
    const std::vector<int32_t>* stopPoints = nullptr;
    int32_t scrollPeriod = 0;
    int32_t scrollLimit = 0;
};

constexpr float kScrollStartTime = 5.0f;  // equals the shader's T_SCROLL
constexpr float kScrollSpeed = 120.0f;    // offscreen pixels per second
constexpr double kScrollPause = 1.25;     // seconds held at each stop point

// One step to loop time t: move, finish at the limit, end a pause, or pause at the first stop crossed.
void AdvanceScroller(ScrollMotion& motion, double t, const ScrollCourse& course);

// The per-frame rule: wait until 5 s, start from the right edge, then advance until finished.
void UpdateScroller(ScrollMotion& motion, float t, const ScrollCourse& course);
