#include "app/report_failure.h"

#include <windows.h>

#include "app/failure_text.h"
#include "app/intro_state.h"

namespace {

FailureObserver failureObserver = nullptr;

}  // namespace

void SetFailureObserver(FailureObserver observer)
{
    failureObserver = observer;
}

void ReportFailure(const wchar_t* what, uint32_t code)
{
    // wchar_t is a UTF-16 unit on Windows, so the platform-free text rules apply unchanged.
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    wchar_t systemText[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, systemText,
                   static_cast<DWORD>(sizeof(systemText) / sizeof(systemText[0])), nullptr);
    systemText[511] = L'\0';

    const std::u16string text = FailureText(reinterpret_cast<const char16_t*>(what), code,
                                            reinterpret_cast<const char16_t*>(systemText));
    const std::wstring wideText(reinterpret_cast<const wchar_t*>(text.c_str()), text.size());

    if (failureObserver != nullptr) {
        failureObserver(FailureReport{what, code, wideText});
        return;
    }
    MessageBoxW(intro.shell.mainWindow, wideText.c_str(), L"Error", MB_ICONERROR);
}
