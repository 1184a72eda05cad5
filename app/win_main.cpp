// The executable's entry: failures go to a modal "Error" box over the intro's window, then the
// show runs.
#include <windows.h>

#include "app/intro_main.h"
#include "core/failure_report.h"
#include "core/intro_state.h"

namespace {

void ShowFailureBox(const FailureReport& report)
{
    MessageBoxW(intro.shell.mainWindow, report.text.c_str(), L"Error", MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    SetFailureSink(ShowFailureBox);
    // The module handle is asked for by name-less lookup, as the show takes nothing from its caller.
    return RunIntro(GetModuleHandleW(nullptr));
}
