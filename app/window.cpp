#include "app/window.h"

namespace {

const wchar_t kWindowClassName[] = L"HTN_D3D11_IntroWnd";
const wchar_t kWindowTitle[] = L"HTN D3D11 Intro";

}  // namespace

ATOM RegisterIntroWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExW(&windowClass);
}

HWND CreateIntroWindow(HINSTANCE instance, ATOM windowClass)
{
    return CreateWindowExW(0, MAKEINTATOM(windowClass), kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}
