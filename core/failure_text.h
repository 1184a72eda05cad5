#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The failure box's capacity in UTF-16 units, terminator included.
constexpr std::size_t kFailureTextCapacity = 768;

// "<what> failed (0x<CODE>)\n<systemText>", eight upper-case hex digits, cut so that it fits
// capacity units with a terminator whatever the lengths of what and systemText.
std::u16string FailureText(std::u16string_view what, uint32_t code, std::u16string_view systemText,
                           std::size_t capacity = kFailureTextCapacity);

// A Win32 error number as an HRESULT-style code: positive numbers go to FACILITY_WIN32,
// zero and values that already read as negative HRESULTs stay as they are.
uint32_t Win32ErrorCode(uint32_t error);
