#include "core/failure_text.h"

std::u16string FailureText(std::u16string_view what, uint32_t code, std::u16string_view systemText,
                           std::size_t capacity)
{
    static const char16_t kHexDigits[] = u"0123456789ABCDEF";
    std::u16string text;
    text.reserve(what.size() + 22 + systemText.size());
    text.append(what);
    text.append(u" failed (0x");
    for (int shift = 28; shift >= 0; shift -= 4) {
        text.push_back(kHexDigits[(code >> shift) & 0xFu]);
    }
    text.append(u")\n");
    text.append(systemText);
    const std::size_t limit = capacity == 0 ? 0 : capacity - 1;
    if (text.size() > limit) {
        text.resize(limit);
    }
    return text;
}

uint32_t Win32ErrorCode(uint32_t error)
{
    if (static_cast<int32_t>(error) <= 0) {
        return error;
    }
    return 0x80070000u | (error & 0xFFFFu);
}
