#include "scroller/scroller_text.h"

#include <cwctype>

#include "scroller/scroller_message.h"

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
