#include "scroller/scroller_rules.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <optional>

// Written with escapes so that the bullets (U+2022) and the heart (U+2665) survive any source encoding.
const char16_t ScrollerMessage[] =
    u"\n"
    u"WELCOME TO A SLIGHTLY SPECIAL %HITTEN PRODUCTION% \u2022 ABOUT 30 YEARS AGO I WAS A MEMBER OF "
    u"%\u2022 HITTEN \u2022% AS A SWAPPER AND SOME MIGHT REMEMBER ME AS %\u2022 DORV \u2022% \u2022 "
    u"\n"
    u"AS A TRIBUTE TO THE OLD DAYS AND TO ALL THE GREAT MEMBERS OF %HITTEN% AND THE SCENE I MADE THIS "
    u"LITTLE BIG INTRO DEMO \u2022 "
    u"\n"
    u"ENJOY THE MUSIC AND TAKE CARE \u2665"
    u"\n";

static_assert(sizeof(ScrollerMessage) / sizeof(ScrollerMessage[0]) == 313 + 1, "the message has 313 units");

namespace {

constexpr char16_t kMarker = u'%';
constexpr char16_t kBlank = u' ';
constexpr char16_t kBullet = u'\u2022';
constexpr std::size_t kReservedUnits = 1024;

std::u16string_view TrimWhiteSpace(std::u16string_view segment, WhiteSpaceTest isWhiteSpace)
{
    while (!segment.empty() && isWhiteSpace(segment.front())) {
        segment.remove_prefix(1);
    }
    while (!segment.empty() && isWhiteSpace(segment.back())) {
        segment.remove_suffix(1);
    }
    return segment;
}

// Pass 1: runs of white space outside segments become one blank; segments are trimmed, not collapsed.
void CollapseWhiteSpace(std::u16string_view message, WhiteSpaceTest isWhiteSpace, std::u16string& out)
{
    bool collapsing = false;
    std::size_t i = 0;
    while (i < message.size()) {
        const char16_t unit = message[i];
        if (unit == kMarker) {
            const std::size_t close = message.find(kMarker, i + 1);
            const std::size_t end = close == std::u16string_view::npos ? message.size() : close;
            out += kMarker;
            out += TrimWhiteSpace(message.substr(i + 1, end - (i + 1)), isWhiteSpace);
            out += kMarker;
            collapsing = false;
            i = close == std::u16string_view::npos ? end : end + 1;
        } else if (isWhiteSpace(unit)) {
            if (!collapsing) {
                out += kBlank;
                collapsing = true;
            }
            ++i;
        } else {
            out += unit;
            collapsing = false;
            ++i;
        }
    }
}

// Pass 2: every bullet but the first and last unit gets a blank on each side, inside segments too.
void SetBulletsOff(std::u16string& text)
{
    if (text.size() <= 2) {
        return;
    }
    for (std::size_t k = 1; k + 1 < text.size(); ++k) {
        if (text[k] != kBullet) {
            continue;
        }
        if (text[k - 1] != kBlank) {
            text.insert(k, 1, kBlank);
            ++k;
        }
        if (text[k + 1] != kBlank) {
            text.insert(k + 1, 1, kBlank);
        }
    }
}

}  // namespace

bool IsRuntimeWhiteSpace(char16_t unit)
{
    return unit == u'\t' || unit == u'\n' || unit == u'\r' || std::iswspace(static_cast<std::wint_t>(unit)) != 0;
}

std::u16string NormaliseScrollerText(std::u16string_view message, WhiteSpaceTest isWhiteSpace)
{
    std::u16string out;
    out.reserve(kReservedUnits);
    CollapseWhiteSpace(message, isWhiteSpace, out);
    SetBulletsOff(out);
    return out;
}

std::u16string BuildScrollerText()
{
    return NormaliseScrollerText(ScrollerMessage);
}

namespace {

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

namespace {

// The smallest position s + k*P strictly after a and at or before b; ties keep list order.
std::optional<float> NearestStop(const std::vector<int32_t>& stopPoints, int32_t k, float period, float a, float b)
{
    std::optional<float> nearest;
    for (const int32_t stop : stopPoints) {
        const float repeat = static_cast<float>(k) * period;
        const float position = static_cast<float>(stop) + repeat;
        if (a < position && position <= b && (!nearest || position < *nearest)) {
            nearest = position;
        }
    }
    return nearest;
}

// The stop point that the screen's centre crosses when it moves from column a to column b.
std::optional<float> CrossedStop(const ScrollCourse& course, float a, float b)
{
    if (a >= b || course.stopPoints == nullptr || course.stopPoints->empty() || course.scrollPeriod <= 0) {
        return std::nullopt;
    }
    const float period = static_cast<float>(course.scrollPeriod);
    const float periods = a / period;
    const int32_t k = static_cast<int32_t>(std::floor(static_cast<double>(periods)));
    if (const std::optional<float> stop = NearestStop(*course.stopPoints, k, period, a, b)) {
        return stop;
    }
    return NearestStop(*course.stopPoints, k + 1, period, a, b);
}

}  // namespace

void AdvanceScroller(ScrollMotion& motion, double t, const ScrollCourse& course)
{
    if (!motion.scrollFinished) {
        const double last = motion.lastScrollTime == 0.0 ? t : motion.lastScrollTime;
        const float before = motion.scrollOffset;
        const bool paused = motion.scrollPaused;
        if (!paused) {
            double dt = t - last;
            if (dt < 0.0) {
                dt = 0.0;
            }
            motion.scrollOffset = static_cast<float>(dt) * kScrollSpeed + before;
        }
        const float after = motion.scrollOffset;
        const float limit = static_cast<float>(course.scrollLimit);

        if (after >= limit) {
            // The limit wins over any stop point crossed on the way.
            motion.scrollOffset = limit;
            motion.scrollPaused = true;
            motion.scrollFinished = true;
        } else if (paused) {
            // The frame that ends a pause does not move; motion resumes from the next frame.
            if (t >= motion.pauseUntil) {
                motion.scrollPaused = false;
            }
        } else {
            const float half = static_cast<float>(course.offscreenWidth) * 0.5f;
            if (const std::optional<float> stop = CrossedStop(course, half + before, half + after)) {
                motion.scrollPaused = true;
                motion.pauseUntil = t + kScrollPause;
                motion.scrollOffset = *stop - half;
            }
        }
    }
    motion.lastScrollTime = t;
}

void UpdateScroller(ScrollMotion& motion, float t, const ScrollCourse& course)
{
    if (t < kScrollStartTime) {
        motion.lastScrollTime = t;
        if (!motion.scrollStarted) {
            motion.scrollArmed = true;
        }
        return;
    }
    if (!motion.scrollStarted && motion.scrollArmed) {
        motion.scrollArmed = false;
        motion.scrollStarted = true;
        motion.scrollFinished = false;
        motion.scrollOffset = -static_cast<float>(course.offscreenWidth);
        motion.lastScrollTime = t;
        AdvanceScroller(motion, t, course);
    } else if (!motion.scrollFinished) {
        AdvanceScroller(motion, t, course);
    }
}
