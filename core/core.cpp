// The bottom layer's Windows code: the intro's one state record and the failure report that every
// subsystem uses.
#include "core/failure_report.h"
#include "core/failure_text.h"
#include "core/intro_state.h"

IntroState intro;

namespace {

FailureSink failureSink = nullptr;

}  // namespace

void SetFailureSink(FailureSink sink)
{
    failureSink = sink;
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
    if (failureSink != nullptr) {
        failureSink(FailureReport{what, code, std::wstring(reinterpret_cast<const wchar_t*>(text.c_str()), text.size())});
    }
}

bool CheckCreated(HRESULT result, const void* object, const wchar_t* what)
{
    if (SUCCEEDED(result) && object) return true;
    ReportFailure(what, static_cast<uint32_t>(result));
    return false;
}
