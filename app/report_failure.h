#pragma once

#include <cstdint>
#include <string>

// Shows "<what> failed (0x<code>)" with the system's text in the "Error" box owned by the main window.
void ReportFailure(const wchar_t* what, uint32_t code);

// One failure as the box would have shown it.
struct FailureReport {
    std::wstring what;
    uint32_t code;
    std::wstring text;
};

// While an observer is set, reports go to it instead of a modal box (for tests); null restores the box.
using FailureObserver = void (*)(const FailureReport& report);
void SetFailureObserver(FailureObserver observer);
