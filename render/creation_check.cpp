#include "render/creation_check.h"

#include "app/report_failure.h"

bool CheckCreated(HRESULT result, const void* object, const wchar_t* what)
{
    if (SUCCEEDED(result) && object) return true;
    ReportFailure(what, static_cast<uint32_t>(result));
    return false;
}
