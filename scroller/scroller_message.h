#pragma once

// The scroller's fixed message: UTF-16, 313 units before the terminator, segments between percent signs.
extern const char16_t ScrollerMessage[];
