#include <windows.h>

#include "app/intro_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The module handle is asked for by name-less lookup, as the show takes nothing from its caller.
    return RunIntro(GetModuleHandleW(nullptr));
}
