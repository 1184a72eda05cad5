#include "tools/frames/call_failure.h"

#include <cstdio>

std::string CallFailure(const char* call, long result)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s failed (0x%08lX)", call, static_cast<unsigned long>(result));
    return text;
}
