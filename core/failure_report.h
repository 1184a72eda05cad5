#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// One failure as the user is to see it: the call's tag, its code and the whole text.
struct FailureReport {
    std::wstring what;
    uint32_t code;
    std::wstring text;
};

// Where reports go: the intro shows them in a box, tools print them, tests record them.
using FailureSink = void (*)(const FailureReport& report);
void SetFailureSink(FailureSink sink);

// Reports "<what> failed (0x<code>)" with the system's text to the sink, once.
void ReportFailure(const wchar_t* what, uint32_t code);

// True when a creating call made its object. Otherwise reports what once with the call's result,
// which is a success code when the call succeeded without an object.
bool CheckCreated(HRESULT result, const void* object, const wchar_t* what);
