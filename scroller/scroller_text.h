#pragma once

#include <string>
#include <string_view>

// Tells whether one UTF-16 unit counts as white space.
using WhiteSpaceTest = bool (*)(char16_t unit);

// TAB, LF, CR, or whatever the runtime's iswspace accepts in the default locale.
bool IsRuntimeWhiteSpace(char16_t unit);

// One line with single blanks between words, each %segment% trimmed and kept between its percent
// signs (an unterminated one closed at the end), and every inner bullet set off by blanks.
std::u16string NormaliseScrollerText(std::u16string_view message, WhiteSpaceTest isWhiteSpace = IsRuntimeWhiteSpace);

// The normalised embedded ScrollerMessage.
std::u16string BuildScrollerText();
