#include "app/intro_state.h"
#include "render/renderer.h"

void PresentWithSignature()
{
    intro.renderer.swapChain->Present(1, 0);

    // The signature goes over the presented picture on the window itself, after every Present.
    HWND window = intro.shell.mainWindow;
    HDC dc = GetDC(window);
    if (!dc) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, 8, intro.shell.clientHeight - 24, L"dorv", 4);
    ReleaseDC(window, dc);
}
