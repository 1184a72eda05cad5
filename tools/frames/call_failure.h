#pragma once

#include <string>

// "<call> failed (0x<code>)": how the frame tools name a failed platform call.
std::string CallFailure(const char* call, long result);
