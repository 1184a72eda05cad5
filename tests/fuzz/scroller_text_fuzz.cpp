// Checks the shape of the normalised scroller text for arbitrary UTF-16 input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>

#include "scroller/scroller_rules.h"

namespace {

constexpr char16_t kMarker = u'%';
constexpr char16_t kBlank = u' ';
constexpr char16_t kBullet = u'\u2022';

// Units that matter to the rules, so short inputs reach them often; other units come in raw.
constexpr char16_t kAlphabet[] = {
    u'%', u' ', u'\t', u'\n', u'\r', u'\v', u'\f', u'\u2022', u'\u2665', u'A', u'B', u'\u00a0', u'\u3000',
    u'\u2028', u'\u0085', u'\0',
};
constexpr std::size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]);
constexpr uint8_t kRawUnitPrefix = 0xe0;

// A byte below 0xe0 picks a unit of the alphabet; a higher one takes the next two bytes as a raw unit.
std::u16string DecodeInput(const uint8_t* data, std::size_t size)
{
    std::u16string units;
    std::size_t i = 0;
    while (i < size) {
        if (data[i] < kRawUnitPrefix) {
            units += kAlphabet[data[i] % kAlphabetSize];
            i += 1;
        } else if (i + 2 < size) {
            units += static_cast<char16_t>(data[i + 1] | (data[i + 2] << 8));
            i += 3;
        } else {
            break;
        }
    }
    return units;
}

[[noreturn]] void Fail(const char* invariant, std::size_t position)
{
    std::fprintf(stderr, "invariant broken at unit %zu: %s\n", position, invariant);
    std::abort();
}

// Blanks outside marked segments never come two in a row.
void CheckOutsideRuns(std::u16string_view text, std::size_t begin, std::size_t end)
{
    for (std::size_t i = begin; i + 1 < end; ++i) {
        if (text[i] == kBlank && text[i + 1] == kBlank) {
            Fail("two blanks in a row outside a segment", i);
        }
    }
}

// A segment begins or ends with white space only where a blank was set beside a bullet.
void CheckSegmentEnds(std::u16string_view text, std::size_t begin, std::size_t end)
{
    if (begin == end) {
        return;
    }
    if (IsRuntimeWhiteSpace(text[begin]) && (text[begin] != kBlank || begin + 1 >= end || text[begin + 1] != kBullet)) {
        Fail("segment begins with white space not set before a bullet", begin);
    }
    const std::size_t last = end - 1;
    if (IsRuntimeWhiteSpace(text[last]) && (text[last] != kBlank || last == begin || text[last - 1] != kBullet)) {
        Fail("segment ends with white space not set after a bullet", last);
    }
}

void CheckShape(std::u16string_view text)
{
    std::size_t outsideBegin = 0;
    std::size_t open = text.find(kMarker);
    while (open != std::u16string_view::npos) {
        const std::size_t close = text.find(kMarker, open + 1);
        if (close == std::u16string_view::npos) {
            Fail("percent sign without a partner", open);
        }
        CheckOutsideRuns(text, outsideBegin, open);
        CheckSegmentEnds(text, open + 1, close);
        outsideBegin = close + 1;
        open = text.find(kMarker, outsideBegin);
    }
    CheckOutsideRuns(text, outsideBegin, text.size());

    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == kBullet && (text[i - 1] != kBlank || text[i + 1] != kBlank)) {
            Fail("inner bullet without a blank on both sides", i);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::u16string message = DecodeInput(data, size);
    const std::u16string text = NormaliseScrollerText(message);
    CheckShape(text);
    if (NormaliseScrollerText(text) != text) {
        Fail("normalising the text again changes it", 0);
    }
    return 0;
}
