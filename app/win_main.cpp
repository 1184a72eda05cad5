// The executable's entry: failures go to a modal "Error" box over the intro's window, then the
// show runs.
#include <windows.h>

#include "app/intro_main.h"
#include "core/failure_report.h"

// On laptops with an integrated and a discrete GPU, the drivers run programs that export these on
// the fast one.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) DWORD AmdPowerXpressRequestHighPerformance = 1;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    SetFailureSink(ShowFailureBox);
    // The module handle is asked for by name-less lookup, as the show takes nothing from its caller.
    return RunIntro(GetModuleHandleW(nullptr));
}
