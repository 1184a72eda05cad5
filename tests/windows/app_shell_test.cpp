#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/intro_main.h"
#include "core/intro_state.h"
#include "core/failure_report.h"
#include "app/window.h"
#include "audio/music.h"
#include "render/renderer.h"
#include "render_test_bed.h"
#include "render_test_doubles.h"
#include "support/failure_recorder.h"
#include "shaders/shader_source.h"

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

TEST_F(AppWindowTest, HeldKeysDoNotRepeatTheToggleOrTheEscape)
{
    const LPARAM repeat = LPARAM{1} << 30;
    SendMessageW(window, WM_KEYDOWN, VK_F11, repeat);
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, repeat);
    EXPECT_FALSE(intro.shell.fullscreen.fullscreenActive);
    EXPECT_FALSE(intro.shell.exit.exitActive);
    SendMessageW(window, WM_KEYDOWN, VK_F11, 0);
    EXPECT_TRUE(intro.shell.fullscreen.fullscreenActive);
}

TEST_F(AppWindowTest, TheWindowIsPaintedBlackBeforeTheFirstFrame)
{
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)), GetStockObject(BLACK_BRUSH));
}

namespace {

std::vector<std::string> shellCalls;
int cursorCountInBox = 0;

// The display counter as it stands: ShowCursor answers with the new count.
int CursorCount()
{
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

int WINAPI RecordBox(HWND, LPCWSTR, LPCWSTR caption, UINT)
{
    cursorCountInBox = CursorCount();
    shellCalls.push_back("box " + std::string(caption, caption + wcslen(caption)));
    return IDOK;
}

MMRESULT WINAPI RecordBeginPeriod(UINT period)
{
    shellCalls.push_back("begin " + std::to_string(period));
    // The loop has begun: close the window, as the viewer would.
    PostMessageW(intro.shell.mainWindow, WM_CLOSE, 0, 0);
    return TIMERR_NOERROR;
}

MMRESULT WINAPI RecordEndPeriod(UINT period)
{
    shellCalls.push_back("end " + std::to_string(period));
    return TIMERR_NOERROR;
}

EXECUTION_STATE WINAPI RecordExecutionState(EXECUTION_STATE state)
{
    shellCalls.push_back(state == (ES_CONTINUOUS | ES_DISPLAY_REQUIRED) ? "display on"
                         : state == ES_CONTINUOUS                      ? "display free"
                                                                       : "other");
    return state;
}

HWND WINAPI NoWindow(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// RunIntro on the real window class with the renderer's doubles and a recording shell.
class AppRunIntroTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        intro = IntroState{};
        shellCalls.clear();
        cursorCountInBox = -100;
        shellPlatform.messageBox = RecordBox;
        shellPlatform.beginTimerPeriod = RecordBeginPeriod;
        shellPlatform.endTimerPeriod = RecordEndPeriod;
        shellPlatform.setExecutionState = RecordExecutionState;
        InstallRenderDoubles();
    }

    void TearDown() override
    {
        // A window left standing would keep the class registered for the next test.
        if (intro.shell.mainWindow && IsWindow(intro.shell.mainWindow)) DestroyWindow(intro.shell.mainWindow);
        RemoveRenderDoubles();
        shellPlatform = SystemShellPlatform();
        musicPlatform = SystemMusicPlatform();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
        intro = IntroState{};
    }

    // The intro's window, shown as RunIntro shows it before the toggle, with the renderer on it.
    static void OpenIntroWindowWithRenderer()
    {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        const ATOM atom = RegisterIntroWindowClass(instance);
        ASSERT_NE(atom, 0);
        intro.shell.mainWindow = CreateIntroWindow(instance, atom);
        ShowWindow(intro.shell.mainWindow, SW_SHOWNORMAL);
        RECT client = {};
        GetClientRect(intro.shell.mainWindow, &client);
        intro.shell.clientWidth = client.right;
        intro.shell.clientHeight = client.bottom;
        ASSERT_TRUE(InitRenderer(EmbeddedShaderText()));
    }

    // The class is free again: a new registration succeeds.
    static bool ClassWasUnregistered()
    {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        if (RegisterIntroWindowClass(instance) == 0) return false;
        UnregisterClassW(kClassName, instance);
        return true;
    }
};

}  // namespace

TEST_F(AppRunIntroTest, AWindowThatCannotBeMadeIsReportedAndLeavesNothing)
{
    shellPlatform.createWindow = NoWindow;
    FailureRecorder recorder;
    EXPECT_EQ(RunIntro(GetModuleHandleW(nullptr)), 0);
    ASSERT_EQ(recorder.reports().size(), 1u);
    EXPECT_EQ(recorder.reports()[0].what, L"CreateWindowExW");
    EXPECT_EQ(recorder.reports()[0].code, 0x80070008u);
    EXPECT_TRUE(ClassWasUnregistered());
    EXPECT_TRUE(shellCalls.empty());
}

TEST_F(AppRunIntroTest, ARendererThatCannotStartIsReportedAndLeavesNothing)
{
    Script().Fail("D3D11CreateDeviceAndSwapChain", 1, E_FAIL);
    FailureRecorder recorder;
    EXPECT_EQ(RunIntro(GetModuleHandleW(nullptr)), 0);
    ASSERT_EQ(recorder.reports().size(), 1u);
    EXPECT_EQ(recorder.reports()[0].what, L"D3D11CreateDeviceAndSwapChain");
    EXPECT_TRUE(CreatedObjects().empty());
    EXPECT_EQ(FindWindowW(kClassName, nullptr), nullptr);
    EXPECT_TRUE(ClassWasUnregistered());
}

TEST_F(AppRunIntroTest, TheShowRunsWithAFineTimerAndTheDisplayOnAndStopsTheMusicFirst)
{
    // Without XAudio2 the music fails, so the "Lyd" box comes up too.
    musicPlatform.audioLibrary = L"xaudio2_absent.dll";
    bool musicGoneFirst = true;
    Script().onDeviceRelease = [&musicGoneFirst] {
        musicGoneFirst = musicGoneFirst && intro.music.audioEngine == nullptr && intro.music.pcmBytes.empty();
    };
    FailureRecorder recorder;
    EXPECT_EQ(RunIntro(GetModuleHandleW(nullptr)), 0);
    Script().onDeviceRelease = nullptr;
    EXPECT_TRUE(recorder.reports().empty());
    EXPECT_EQ(shellCalls,
              (std::vector<std::string>{"box Lyd", "display on", "begin 1", "end 1", "display free"}));
    // The pointer, hidden for the show, was visible while the box was up.
    EXPECT_GE(cursorCountInBox, 0);
    EXPECT_TRUE(musicGoneFirst);
    EXPECT_TRUE(CreatedObjects().empty());
}

TEST_F(AppRunIntroTest, MinimisingKeepsTheTargetsAndRestoringResizesThem)
{
    ASSERT_NO_FATAL_FAILURE(OpenIntroWindowWithRenderer());
    AdvanceUnseenFrame(4.9f);

    const int resizes = Script().resizes;
    ShowWindow(intro.shell.mainWindow, SW_MINIMIZE);
    EXPECT_EQ(Script().resizes, resizes);
    EXPECT_NE(intro.renderer.backBufferView, nullptr);
    // Minimised, the show's clock moves the scroller on but nothing is presented.
    const int presents = Script().presents;
    AdvanceUnseenFrame(6.0f);
    EXPECT_EQ(Script().presents, presents);
    EXPECT_TRUE(intro.scroller.scrollStarted);

    ShowWindow(intro.shell.mainWindow, SW_RESTORE);
    EXPECT_EQ(Script().resizes, resizes + 1);

    // After Escape the window still closes on time while minimised.
    ShowWindow(intro.shell.mainWindow, SW_MINIMIZE);
    intro.shell.exit = ExitState{true, 7.0f};
    AdvanceUnseenFrame(16.9f);
    EXPECT_TRUE(IsWindow(intro.shell.mainWindow));
    AdvanceUnseenFrame(17.0f);
    EXPECT_FALSE(IsWindow(intro.shell.mainWindow));
    ReleaseRenderer();
}

TEST_F(AppRunIntroTest, AltEnterLeavesTheSwapChainInTheBorderlessWindow)
{
    ASSERT_NO_FATAL_FAILURE(OpenIntroWindowWithRenderer());
    ToggleFullscreen(intro.shell.mainWindow);
    const LONG_PTR style = GetWindowLongPtrW(intro.shell.mainWindow, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(intro.shell.mainWindow, GWL_EXSTYLE);

    // Alt+Enter as the keyboard delivers it: a system key with the Alt bit.
    SetForegroundWindow(intro.shell.mainWindow);
    SetFocus(intro.shell.mainWindow);
    const LPARAM altDown = LPARAM{1} << 29;
    PostMessageW(intro.shell.mainWindow, WM_SYSKEYDOWN, VK_RETURN, altDown | 1);
    PostMessageW(intro.shell.mainWindow, WM_SYSKEYUP, VK_RETURN, altDown | (LPARAM{3} << 30) | 1);
    MSG message;
    for (int round = 0; round < 20; ++round) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    BOOL exclusive = TRUE;
    ASSERT_HRESULT_SUCCEEDED(intro.renderer.swapChain->GetFullscreenState(&exclusive, nullptr));
    EXPECT_FALSE(exclusive);
    EXPECT_EQ(GetWindowLongPtrW(intro.shell.mainWindow, GWL_STYLE), style);
    EXPECT_EQ(GetWindowLongPtrW(intro.shell.mainWindow, GWL_EXSTYLE), exStyle);
    ReleaseRenderer();
}

namespace {

// The loop's pacing waits as it asks for them, in 100 ns units, from the timer or from Sleep; and
// its one-millisecond yields.
std::vector<LONGLONG> pacingWaits;
int yields = 0;

WINBOOL WINAPI RecordTimer(HANDLE timer, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE routine,
                           LPVOID argument, WINBOOL resume)
{
    pacingWaits.push_back(-due->QuadPart);
    return SetWaitableTimer(timer, due, period, routine, argument, resume);
}

void WINAPI RecordSleep(DWORD milliseconds)
{
    if (milliseconds == 1) {
        ++yields;
    } else {
        pacingWaits.push_back(LONGLONG{milliseconds} * 10'000);
    }
    Sleep(milliseconds);
}

// A display refreshing 24 times a second: a period a small window's frames fill well under half of.
constexpr LONGLONG kPeriod = 10'000'000 / 24;

WINBOOL WINAPI TwentyFourHertz(LPCWSTR device, DWORD mode, DEVMODEW* settings)
{
    EnumDisplaySettingsW(device, mode, settings);
    settings->dmDisplayFrequency = 24;
    return TRUE;
}

// Runs the main loop on the intro window until it has made `presents` Present calls.
void RunLoopFor(size_t presents)
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    intro.shell.clockFrequency = frequency.QuadPart;
    intro.shell.loopStartCounter = now.QuadPart;
    shellPlatform.beginTimerPeriod = &timeBeginPeriod;
    Script().onPresent = [presents] {
        if (Script().presentCalls.size() == presents) PostQuitMessage(0);
    };
    RunMainLoop();
    Script().onPresent = nullptr;
}

}  // namespace

TEST_F(AppRunIntroTest, AnOccludedWindowIsNotDrawnUntilATestPresentFindsItVisible)
{
    ASSERT_NO_FATAL_FAILURE(OpenIntroWindowWithRenderer());
    // The second frame finds the window occluded (Windows answers at once, without the blank), and
    // so do the first two test Presents after it.
    const HRESULT occluded = DXGI_STATUS_OCCLUDED;
    for (int call = 2; call <= 4; ++call) Script().Fail("Present", call, occluded);
    RunLoopFor(7);

    std::vector<std::string> calls;
    for (const RenderScript::PresentCall& call : Script().presentCalls) {
        calls.push_back(std::to_string(call.interval) + (call.flags == DXGI_PRESENT_TEST ? " test" : " draw") +
                        (call.result == occluded ? " occluded" : call.result == S_OK ? " shown" : " other"));
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"1 draw shown", "1 draw occluded", "0 test occluded",
                                               "0 test occluded", "0 test shown", "1 draw shown",
                                               "1 draw shown"}));
    ReleaseRenderer();
}

TEST_F(AppRunIntroTest, WherePresentDoesNotWaitTheLoopWaitsOutEachRefreshAndOtherwiseNot)
{
    ASSERT_NO_FATAL_FAILURE(OpenIntroWindowWithRenderer());
    SetWindowPos(intro.shell.mainWindow, nullptr, 0, 0, 200, 150, SWP_NOZORDER | SWP_NOMOVE);
    shellPlatform.displaySettings = TwentyFourHertz;
    shellPlatform.setWaitableTimer = RecordTimer;
    shellPlatform.sleep = RecordSleep;

    // Present returns at once: after a few frames each pass is followed by the rest of its period.
    pacingWaits.clear();
    yields = 0;
    RunLoopFor(40);
    EXPECT_GE(pacingWaits.size(), 20u);
    for (const LONGLONG wait : pacingWaits) {
        EXPECT_GT(wait, 0);
        EXPECT_LE(wait, kPeriod);
    }

    // Present waits for the blank, a little longer than a period: the loop only yields, as before.
    pacingWaits.clear();
    yields = 0;
    Script().presentCalls.clear();
    Script().presentMilliseconds = 45;
    RunLoopFor(20);
    EXPECT_TRUE(pacingWaits.empty());
    EXPECT_GE(yields, 19);
    ReleaseRenderer();
}
