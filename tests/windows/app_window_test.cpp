#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/intro_main.h"
#include "app/window.h"
#include "audio/music.h"
#include "core/intro_state.h"
#include "render/renderer.h"
#include "render_test_doubles.h"
#include "support/failure_recorder.h"
#include "shaders/shader_source.h"

namespace {

RECT WindowRectOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

// The intro's window of the intro's class, created as the start-up creates it.
class AppWindowPlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        intro = IntroState{};
        instance = GetModuleHandleW(nullptr);
        atom = RegisterIntroWindowClass(instance);
        ASSERT_NE(atom, 0);
    }

    void TearDown() override
    {
        if (intro.renderer.device) ReleaseRenderer();
        RemoveRenderDoubles();
        for (HWND window : windows) DestroyWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        UnregisterClassW(MAKEINTATOM(atom), instance);
        intro = IntroState{};
    }

    HWND NewWindow()
    {
        windows.push_back(CreateIntroWindow(instance, atom));
        return windows.back();
    }

    // A framed window at 40,30 of 400x300 with the renderer (its doubles) on it.
    void OpenWithRenderer()
    {
        InstallRenderDoubles();
        intro.shell.mainWindow = NewWindow();
        ShowWindow(intro.shell.mainWindow, SW_SHOWNORMAL);
        SetWindowPos(intro.shell.mainWindow, nullptr, 40, 30, 400, 300, SWP_NOZORDER);
        RECT client = {};
        GetClientRect(intro.shell.mainWindow, &client);
        intro.shell.clientWidth = client.right;
        intro.shell.clientHeight = client.bottom;
        ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    }

    // The renderer's sizes, checked against a client area of width x height.
    static void ExpectRendererAt(int width, int height)
    {
        EXPECT_EQ(intro.shell.clientWidth, width);
        EXPECT_EQ(intro.shell.clientHeight, height);
        DXGI_SWAP_CHAIN_DESC desc = {};
        ASSERT_HRESULT_SUCCEEDED(intro.renderer.swapChain->GetDesc(&desc));
        EXPECT_EQ(desc.BufferDesc.Width, static_cast<UINT>(width));
        EXPECT_EQ(desc.BufferDesc.Height, static_cast<UINT>(height));
        EXPECT_EQ(intro.renderer.offscreenWidth, width / 2);
        EXPECT_EQ(intro.renderer.offscreenHeight, height / 2);
    }

    static void SendDpiChange(UINT dpi, const RECT& suggested)
    {
        SendMessageW(intro.shell.mainWindow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }

    HINSTANCE instance = nullptr;
    ATOM atom = 0;
    std::vector<HWND> windows;
    FailureRecorder failures;
};

}  // namespace

TEST_F(AppWindowPlatformTest, TheWindowIsMadeMaximisedUnseenSoThatItCanFirstAppearBorderless)
{
    // Where a window of the same class and style shown maximised stands.
    windows.push_back(CreateWindowExW(0, MAKEINTATOM(atom), L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr));
    ShowWindow(windows.back(), SW_SHOWMAXIMIZED);
    const RECT maximised = WindowRectOf(windows.back());

    intro.shell.mainWindow = NewWindow();
    EXPECT_FALSE(IsWindowVisible(intro.shell.mainWindow));
    EXPECT_TRUE(IsZoomed(intro.shell.mainWindow));
    EXPECT_TRUE(SameRect(WindowRectOf(intro.shell.mainWindow), maximised));

    ToggleFullscreen(intro.shell.mainWindow);
    EXPECT_TRUE(IsWindowVisible(intro.shell.mainWindow));
    EXPECT_EQ(GetWindowLongPtrW(intro.shell.mainWindow, GWL_STYLE) & (WS_POPUP | WS_CAPTION), WS_POPUP);

    // F11 then gives the framed window, maximised where the other one stands.
    ToggleFullscreen(intro.shell.mainWindow);
    EXPECT_TRUE(IsWindowVisible(intro.shell.mainWindow));
    EXPECT_TRUE(IsZoomed(intro.shell.mainWindow));
    EXPECT_EQ(GetWindowLongPtrW(intro.shell.mainWindow, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(SameRect(WindowRectOf(intro.shell.mainWindow), maximised));
}

TEST_F(AppWindowPlatformTest, ANewScaleGivesTheFramedWindowTheSuggestedRectangleAndTheRendererItsClient)
{
    ASSERT_NO_FATAL_FAILURE(OpenWithRenderer());
    // 400x300 at 96 dpi, as 150 % would have it.
    const RECT suggested = {100, 60, 100 + 600, 60 + 450};
    SendDpiChange(144, suggested);
    EXPECT_TRUE(SameRect(WindowRectOf(intro.shell.mainWindow), suggested));

    RECT frame = {};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(intro.shell.mainWindow, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(intro.shell.mainWindow, GWL_EXSTYLE)));
    ExpectRendererAt(600 - (frame.right - frame.left), 450 - (frame.bottom - frame.top));
}

TEST_F(AppWindowPlatformTest, ANewScaleInFullScreenCoversTheMonitorAgain)
{
    ASSERT_NO_FATAL_FAILURE(OpenWithRenderer());
    ToggleFullscreen(intro.shell.mainWindow);
    ASSERT_TRUE(intro.shell.fullscreen.fullscreenActive);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(intro.shell.mainWindow, MONITOR_DEFAULTTONEAREST), &monitor);

    // Windows has scaled the borderless window, which no longer covers the monitor.
    SetWindowPos(intro.shell.mainWindow, nullptr, 50, 40, 600, 340, SWP_NOZORDER | SWP_NOACTIVATE);
    SendDpiChange(144, RECT{50, 40, 50 + 900, 40 + 510});
    EXPECT_TRUE(SameRect(WindowRectOf(intro.shell.mainWindow), monitor.rcMonitor));
    EXPECT_TRUE(intro.shell.fullscreen.fullscreenActive);
    ExpectRendererAt(monitor.rcMonitor.right - monitor.rcMonitor.left, monitor.rcMonitor.bottom - monitor.rcMonitor.top);
}

namespace {

// The intro window's style each time it was shown, and as it stood when the renderer made its
// swap chain, with that chain's height.
std::vector<LONG_PTR> stylesShown;
LONG_PTR styleAtDevice = 0;
UINT chainHeightAtDevice = 0;
decltype(rendererPlatform.createDeviceAndSwapChain) makeDevice = nullptr;

LRESULT CALLBACK RecordShows(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    const bool shown = (message->message == WM_SHOWWINDOW && message->wParam) ||
                       (message->message == WM_WINDOWPOSCHANGED &&
                        (reinterpret_cast<const WINDOWPOS*>(message->lParam)->flags & SWP_SHOWWINDOW));
    if (code == HC_ACTION && shown && message->hwnd == intro.shell.mainWindow) {
        stylesShown.push_back(GetWindowLongPtrW(message->hwnd, GWL_STYLE));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HRESULT WINAPI RecordDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE software, UINT flags,
                            const D3D_FEATURE_LEVEL* levels, UINT levelCount, UINT sdk,
                            const DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** chain, ID3D11Device** device,
                            D3D_FEATURE_LEVEL* level, ID3D11DeviceContext** context)
{
    styleAtDevice = GetWindowLongPtrW(desc->OutputWindow, GWL_STYLE);
    chainHeightAtDevice = desc->BufferDesc.Height;
    return makeDevice(adapter, type, software, flags, levels, levelCount, sdk, desc, chain, device, level, context);
}

int WINAPI CloseOnBox(HWND owner, LPCWSTR, LPCWSTR, UINT)
{
    PostMessageW(owner, WM_CLOSE, 0, 0);
    return IDOK;
}

}  // namespace

TEST(AppWindowStartUp, NoCaptionIsSeenFromLaunchToTheShow)
{
    intro = IntroState{};
    stylesShown.clear();
    InstallRenderDoubles();
    makeDevice = rendererPlatform.createDeviceAndSwapChain;
    rendererPlatform.createDeviceAndSwapChain = RecordDevice;
    // Without XAudio2 the "Lyd" box comes up once the show is ready; it closes the window.
    musicPlatform.audioLibrary = L"xaudio2_absent.dll";
    shellPlatform.messageBox = CloseOnBox;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordShows, nullptr, GetCurrentThreadId());
    FailureRecorder failures;
    RunIntro(GetModuleHandleW(nullptr));
    UnhookWindowsHookEx(hook);
    RemoveRenderDoubles();
    shellPlatform = SystemShellPlatform();
    musicPlatform = SystemMusicPlatform();
    UnregisterClassW(L"HTN_D3D11_IntroWnd", GetModuleHandleW(nullptr));
    intro = IntroState{};

    EXPECT_TRUE(failures.reports().empty());
    ASSERT_FALSE(stylesShown.empty());
    for (const LONG_PTR style : stylesShown) {
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION), WS_POPUP);
    }
    // The renderer starts on the borderless window, at the whole height of the screen.
    EXPECT_EQ(styleAtDevice & (WS_POPUP | WS_CAPTION), WS_POPUP);
    EXPECT_EQ(chainHeightAtDevice, static_cast<UINT>(GetSystemMetrics(SM_CYSCREEN)));
}
