#include <gtest/gtest.h>

#include <windows.h>

#include "app/intro_main.h"
#include "core/intro_state.h"
#include "core/failure_report.h"
#include "app/window.h"
#include "support/failure_recorder.h"

namespace {

const wchar_t kClassName[] = L"HTN_D3D11_IntroWnd";

// The intro's window class and one window of it, gone again after each test.
class AppWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        intro = IntroState{};
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        intro.shell.clockFrequency = frequency.QuadPart;
        instance = GetModuleHandleW(nullptr);
        atom = RegisterIntroWindowClass(instance);
        ASSERT_NE(atom, 0);
        window = CreateIntroWindow(instance, atom);
        ASSERT_NE(window, nullptr);
        intro.shell.mainWindow = window;
    }

    void TearDown() override
    {
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
        DrainQuit();
        UnregisterClassW(kClassName, instance);
        intro = IntroState{};
    }

    // Takes the messages the window left queued; true when one of them was WM_QUIT.
    static bool DrainQuit()
    {
        bool quit = false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            quit = quit || message.message == WM_QUIT;
            DispatchMessageW(&message);
        }
        return quit;
    }

    static RECT WindowRectOf(HWND window)
    {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return rect;
    }

    HINSTANCE instance = nullptr;
    ATOM atom = 0;
    HWND window = nullptr;
};

}  // namespace

TEST_F(AppWindowTest, WindowHasTheClassAndKeepsNoTitleText)
{
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, kClassName);
    EXPECT_EQ(GetWindowTextLengthW(window), 0);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

TEST_F(AppWindowTest, SecondEscapeKeepsTheFirstStartTime)
{
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(intro.shell.exit.exitActive);
    const float first = intro.shell.exit.exitStartTime;
    Sleep(20);
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(intro.shell.exit.exitActive);
    EXPECT_EQ(intro.shell.exit.exitStartTime, first);
}

TEST_F(AppWindowTest, OtherKeysChangeNothing)
{
    SendMessageW(window, WM_KEYDOWN, 'A', 0);
    SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(intro.shell.exit.exitActive);
    EXPECT_FALSE(intro.shell.fullscreen.fullscreenActive);
}

TEST_F(AppWindowTest, F11CoversTheMonitorAndF11AgainRestoresWindowAndStyles)
{
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, nullptr, 40, 30, 500, 400, SWP_NOZORDER);
    const RECT before = WindowRectOf(window);
    const LONG_PTR styleBefore = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyleBefore = GetWindowLongPtrW(window, GWL_EXSTYLE);

    SendMessageW(window, WM_KEYDOWN, VK_F11, 0);
    ASSERT_TRUE(intro.shell.fullscreen.fullscreenActive);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT full = WindowRectOf(window);
    EXPECT_EQ(full.left, monitor.rcMonitor.left);
    EXPECT_EQ(full.top, monitor.rcMonitor.top);
    EXPECT_EQ(full.right, monitor.rcMonitor.right);
    EXPECT_EQ(full.bottom, monitor.rcMonitor.bottom);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), WS_POPUP);

    SendMessageW(window, WM_KEYDOWN, VK_F11, 0);
    EXPECT_FALSE(intro.shell.fullscreen.fullscreenActive);
    const RECT after = WindowRectOf(window);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
    // WS_VISIBLE may differ with the show state; the frame styles must come back exactly.
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE),
              styleBefore & ~static_cast<LONG_PTR>(WS_VISIBLE));
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, exStyleBefore & WS_EX_APPWINDOW);
}

TEST_F(AppWindowTest, DestroyingTheWindowPostsQuit)
{
    DestroyWindow(window);
    window = nullptr;
    EXPECT_TRUE(DrainQuit());
}

TEST(AppReportFailure, ComposesTheCallTheCodeAndTheSystemText)
{
    FailureRecorder recorder;
    ReportFailure(L"CreateWindowExW", 0x80070005u);
    ReportFailure(L"CreateSamplerState(maskBorder)", 0x2BADC0DEu);
    ASSERT_EQ(recorder.reports().size(), 2u);

    const FailureReport& known = recorder.reports()[0];
    EXPECT_EQ(known.what, L"CreateWindowExW");
    EXPECT_EQ(known.code, 0x80070005u);
    const std::wstring firstLine = L"CreateWindowExW failed (0x80070005)\n";
    ASSERT_GT(known.text.size(), firstLine.size());
    EXPECT_EQ(known.text.substr(0, firstLine.size()), firstLine);

    // A code the system has no text for still gives the first line and an empty second line.
    EXPECT_EQ(recorder.reports()[1].text, L"CreateSamplerState(maskBorder) failed (0x2BADC0DE)\n");
}

TEST(AppReportFailure, OverlongNamesAreCutNotOverrun)
{
    FailureRecorder recorder;
    const std::wstring longName(4000, L'x');
    ReportFailure(longName.c_str(), 0x80004005u);
    ASSERT_EQ(recorder.reports().size(), 1u);
    EXPECT_EQ(recorder.reports()[0].text, longName.substr(0, 767));
}

TEST(AppRunIntro, ClassRegistrationFailureReportsOnceAndEndsWithZero)
{
    intro = IntroState{};
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // A class of the same name already registered makes the intro's own registration fail.
    ASSERT_NE(RegisterIntroWindowClass(instance), 0);
    FailureRecorder recorder;
    EXPECT_EQ(RunIntro(instance), 0);
    UnregisterClassW(kClassName, instance);

    ASSERT_EQ(recorder.reports().size(), 1u);
    EXPECT_EQ(recorder.reports()[0].what, L"RegisterClassExW");
    EXPECT_EQ(recorder.reports()[0].code, 0x80070582u);  // ERROR_CLASS_ALREADY_EXISTS
    EXPECT_EQ(intro.shell.mainWindow, nullptr);
    intro = IntroState{};
}
