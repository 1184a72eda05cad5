// htn_studio: the show on the intro's own renderer, scroller, music and passes, for those who make
// it. The shader comes from a file and is compiled again at every save; the timeline pauses, seeks,
// steps and changes speed; a heads-up line gives each pass's time; F12 keeps a still.
//   htn_studio [--shader PATH]   (default: shaders/intro.hlsl of the checkout the program was built in)
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/intro_main.h"
#include "app/window.h"
#include "audio/music.h"
#include "core/intro_state.h"
#include "render/renderer.h"
#include "scroller/scroller.h"
#include "shaders/shader_source.h"
#include "tools/frames/bench_report.h"
#include "tools/frames/frame_capture.h"
#include "tools/frames/pass_timer.h"
#include "tools/frames/png_file.h"
#include "tools/studio/shader_watch.h"
#include "tools/studio/studio_overlay.h"
#include "tools/studio/studio_rules.h"

static_assert(kKeySpace == VK_SPACE && kKeyHome == VK_HOME && kKeyLeft == VK_LEFT && kKeyUp == VK_UP &&
                  kKeyRight == VK_RIGHT && kKeyDown == VK_DOWN && kKeyEscape == VK_ESCAPE,
              "the studio's keys are Windows' virtual keys");
static_assert(kKeyF11 == VK_F11 && kKeyF12 == VK_F12 && kKeyComma == VK_OEM_COMMA && kKeyPeriod == VK_OEM_PERIOD,
              "the studio's keys are Windows' virtual keys");
static_assert(kKeyE == 'E' && kKeyH == 'H' && kKeyQ == 'Q' && kKeyR == 'R', "letter keys are their capitals");

namespace {

const wchar_t kClassName[] = L"HTN_D3D11_StudioWnd";
const wchar_t kTitle[] = L"HTN studio";
constexpr int kClientWidth = 960;
constexpr int kClientHeight = 540;

// Passes are timed in one frame of this many: timing waits for an idle pipeline around each draw.
constexpr int kTimedFrameInterval = 15;
// A timing query that has not answered in this long is taken for stuck, and timing stops.
constexpr double kTimingWaitSeconds = 2.0;
constexpr size_t kErrorLines = 8;
constexpr size_t kErrorColumns = 160;

const char kUsage[] = "usage: htn_studio [--shader PATH]\n";

// What the keys change between frames.
struct Studio {
    Timeline timeline;
    bool hudShown = true;
    bool stillAsked = false;
    bool jumped = false;  // the loop time moved other than by playing: the music follows it
    bool pauseChanged = false;
};

Studio studio;

void PrintFailure(const FailureReport& report)
{
    std::fprintf(stderr, "studio: %ls\n", report.text.c_str());
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// shaders\intro.hlsl in the nearest folder above the executable that has one.
std::wstring DefaultShaderPath()
{
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module, length < MAX_PATH ? length : 0);
    for (size_t cut = folder.find_last_of(L"\\/"); cut != std::wstring::npos; cut = folder.find_last_of(L"\\/")) {
        folder.resize(cut);
        const std::wstring candidate = folder + L"\\shaders\\intro.hlsl";
        if (FileExists(candidate)) return candidate;
    }
    return L"";
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? L"." : path.substr(0, cut);
}

void Act(HWND window, StudioAction action)
{
    Timeline& timeline = studio.timeline;
    switch (action) {
    case StudioAction::TogglePause:
        timeline.paused = !timeline.paused;
        studio.pauseChanged = true;
        break;
    case StudioAction::SeekBack: SeekTimeline(timeline, -1.0); break;
    case StudioAction::SeekForward: SeekTimeline(timeline, 1.0); break;
    case StudioAction::SeekBackFar: SeekTimeline(timeline, -10.0); break;
    case StudioAction::SeekForwardFar: SeekTimeline(timeline, 10.0); break;
    case StudioAction::Home: HomeTimeline(timeline); break;
    case StudioAction::StepBack: StepTimeline(timeline, -1); break;
    case StudioAction::StepForward: StepTimeline(timeline, 1); break;
    case StudioAction::EndCard: StartEndCard(timeline); break;
    case StudioAction::ReturnToShow:
        ReturnFromEndCard(timeline);
        // The end card's fade is undone: the show plays at full volume.
        UpdateMusicFade(-1.0f);
        break;
    case StudioAction::Faster: ChangeSpeed(timeline, 1); break;
    case StudioAction::Slower: ChangeSpeed(timeline, -1); break;
    case StudioAction::ToggleHud: studio.hudShown = !studio.hudShown; break;
    case StudioAction::Still: studio.stillAsked = true; break;
    case StudioAction::ToggleFullscreen: ToggleFullscreen(window); break;
    case StudioAction::Quit: DestroyWindow(window); break;
    case StudioAction::None: break;
    }
    // The end card begins where the show is: the music plays on into its fade.
    studio.jumped = studio.jumped || (action != StudioAction::TogglePause && action != StudioAction::ToggleHud &&
                                      action != StudioAction::Still && action != StudioAction::ToggleFullscreen &&
                                      action != StudioAction::EndCard);
}

// The studio's keys; everything else the intro's window does (size, scale, focus, closing).
LRESULT CALLBACK StudioWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        // Unlike the show's, the studio's window keeps its title.
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_KEYDOWN: {
        const StudioAction action = KeyAction(static_cast<uint32_t>(wParam), GetKeyState(VK_SHIFT) < 0);
        // Held seek and step keys repeat; a held toggle counts once.
        const bool repeats = action == StudioAction::SeekBack || action == StudioAction::SeekForward ||
                             action == StudioAction::SeekBackFar || action == StudioAction::SeekForwardFar ||
                             action == StudioAction::StepBack || action == StudioAction::StepForward;
        if (repeats || !IsKeyRepeat(static_cast<uint32_t>(lParam))) Act(window, action);
        return 0;
    }
    default:
        return WindowProc(window, message, wParam, lParam);
    }
}

HWND OpenStudioWindow(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StudioWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return nullptr;
    RECT rect = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
}

// Each pass's time, from one frame in kTimedFrameInterval, on the clock the pass benchmark chooses.
class PassTimings {
public:
    // The watch for DrawFrame when this frame is timed, else null.
    const PassWatch* Watch()
    {
        // A renderer recovered from a lost device has a new device, which the queries must come from.
        if (intro.renderer.device != madeOn) Start();
        ran.assign(kPassCount, false);
        if (!usable || ++frame % kTimedFrameInterval != 0) return nullptr;
        timer->BeginFrame(intro.renderer.context);
        timing = true;
        return &watch;
    }

    void EndFrame()
    {
        if (!timing) return;
        timing = false;
        ID3D11DeviceContext* context = intro.renderer.context;
        timer->EndFrame(context);
        std::vector<double> gpu;
        std::vector<double> wall;
        bool stalled = false;
        std::string error;
        const bool gpuOk = timer->Collect(context, &gpu, &wall, &stalled, &error);
        if (stalled || failed) {
            usable = false;
            std::fprintf(stderr, "studio: pass timings stop: %s\n", error.empty() ? "a query failed" : error.c_str());
            return;
        }
        const std::vector<double>& figures = clock.cpu || !gpuOk ? wall : gpu;
        lastOnCpu = clock.cpu || !gpuOk;
        for (int pass = 0; pass < kPassCount; ++pass) {
            if (ran[pass] && pass < static_cast<int>(figures.size())) milliseconds[pass] = figures[pass];
        }
        shown = ran;
    }

    // The passes of the last timed frame with their times.
    std::vector<std::pair<std::string, double>> Figures() const
    {
        std::vector<std::pair<std::string, double>> figures;
        for (int pass = 0; pass < kPassCount && pass < static_cast<int>(shown.size()); ++pass) {
            if (shown[pass]) figures.emplace_back(kPasses[pass].name, milliseconds[pass]);
        }
        return figures;
    }

    bool OnCpuClock() const { return lastOnCpu; }

private:
    void Start()
    {
        madeOn = intro.renderer.device;
        timer = std::make_unique<PassTimer>();
        clock = ChooseClock();
        std::vector<std::string> names;
        for (int pass = 0; pass < kPassCount; ++pass) names.push_back(kPasses[pass].name);
        std::string error;
        usable = madeOn && timer->Create(madeOn, names, !clock.cpu, kTimingWaitSeconds, &error);
        if (!usable) std::fprintf(stderr, "studio: no pass timings: %s\n", error.c_str());
        failed = false;
        milliseconds.assign(kPassCount, 0.0);
        shown.clear();
    }

    static void Before(int pass, void* self)
    {
        PassTimings& timings = *static_cast<PassTimings*>(self);
        std::string error;
        timings.ran[pass] = true;
        if (!timings.timer->BeginPass(intro.renderer.context, pass, &error)) timings.failed = true;
    }
    static void After(int pass, void* self)
    {
        PassTimings& timings = *static_cast<PassTimings*>(self);
        std::string error;
        if (!timings.timer->EndPass(intro.renderer.context, pass, &error)) timings.failed = true;
    }

    std::unique_ptr<PassTimer> timer;
    ID3D11Device* madeOn = nullptr;
    BenchClock clock;
    PassWatch watch{Before, After, this};
    bool usable = false;
    bool timing = false;
    bool failed = false;
    bool lastOnCpu = true;
    long long frame = 0;
    std::vector<bool> ran;
    std::vector<bool> shown;
    std::vector<double> milliseconds;
};

// The music follows the timeline: stopped while paused, silent at any speed but the show's, and
// at the loop time's place after any jump or a return to the show's speed.
void FollowWithMusic(bool& wasAudible)
{
    Timeline& timeline = studio.timeline;
    if (studio.pauseChanged) PauseMusic(timeline.paused);
    const bool audible = TimelineSpeed(timeline) == 1.0;
    if (audible != wasAudible) MuteMusic(!audible);
    if (studio.jumped || (audible && !wasAudible)) SeekMusic(timeline.t);
    wasAudible = audible;
    studio.pauseChanged = false;
    studio.jumped = false;
}

void WriteStill(const std::wstring& folder)
{
    RgbaImage image;
    std::string error;
    const std::wstring path = folder + L"\\" + WidePath(StillFileName(studio.timeline.t));
    if (ReadBackBuffer(&image, &error) && WritePng(path, image, &error)) {
        std::printf("studio: still %ls\n", path.c_str());
    } else {
        std::printf("studio: no still: %s\n", error.c_str());
    }
    std::fflush(stdout);
}

std::vector<std::string> OverlayLines(const ShaderWatch& shader, const PassTimings& timings, double framesPerSecond)
{
    std::vector<std::string> lines;
    if (studio.hudShown) {
        HudFigures figures;
        figures.t = studio.timeline.t;
        figures.speed = TimelineSpeed(studio.timeline);
        figures.paused = studio.timeline.paused;
        figures.framesPerSecond = framesPerSecond;
        figures.passMilliseconds = timings.Figures();
        figures.cpuClock = timings.OnCpuClock();
        figures.shaderState = shader.state();
        lines.push_back(HudLine(figures));
    }
    // Errors show whether the heads-up line does or not, until a good compile.
    for (const std::string& line : FirstErrorLines(shader.errors(), kErrorLines, kErrorColumns)) lines.push_back(line);
    return lines;
}

void RunStudio(ShaderWatch& shader)
{
    StudioOverlay overlay;
    PassTimings timings;
    LoopPacing pacing;
    SteppedScroller scroller;
    bool wasAudible = true;
    int64_t passStart = ReadCounter();
    int64_t last = passStart;
    int64_t rateStart = passStart;
    int framesInRate = 0;
    double framesPerSecond = 0.0;
    const std::wstring stillFolder = FolderOf(shader.path());

    while (true) {
        MSG message;
        bool quit = false;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) quit = true;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (quit) break;

        const int64_t now = ReadCounter();
        AdvanceTimeline(studio.timeline, static_cast<double>(now - last) / static_cast<double>(intro.shell.clockFrequency));
        last = now;
        FollowWithMusic(wasAudible);
        RecoverLostMusic();
        shader.Poll();

        if (IsIconic(intro.shell.mainWindow) || !intro.renderer.swapChain) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
            passStart = ReadCounter();
            continue;
        }

        // The scroller and the end card as a run of the show from 0 would have them at this time.
        const Timeline& timeline = studio.timeline;
        intro.shell.exit = timeline.exit;
        StepScrollerTo(scroller, timeline.t, timeline.exit.exitActive, timeline.exit.exitStartTime,
                       ScrollerCourse());
        static_cast<ScrollMotion&>(intro.scroller) = scroller.motion;
        const float t = static_cast<float>(timeline.t);
        DrawFrame(t, timings.Watch());
        timings.EndFrame();
        DrawSignature();
        if (studio.stillAsked) {
            studio.stillAsked = false;
            WriteStill(stillFolder);
        }
        overlay.Show(OverlayLines(shader, timings, framesPerSecond));
        overlay.Draw();
        if (PresentFrame()) {
            const LONG_PTR stamp = static_cast<LONG_PTR>(t * 1000.0f);
            SetWindowLongPtrW(intro.shell.mainWindow, GWLP_USERDATA, stamp > 0 ? stamp : 1);
            ++framesInRate;
        }
        const int64_t afterPresent = ReadCounter();
        if (afterPresent - rateStart >= intro.shell.clockFrequency / 2) {
            framesPerSecond = framesInRate * static_cast<double>(intro.shell.clockFrequency) /
                              static_cast<double>(afterPresent - rateStart);
            framesInRate = 0;
            rateStart = afterPresent;
        }
        PaceDrawnPass(pacing, passStart);
        passStart = ReadCounter();
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring shaderPath;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--shader" && i + 1 < argc) {
            shaderPath = argv[++i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (shaderPath.empty()) shaderPath = DefaultShaderPath();
    shaderPath = FullPath(shaderPath);
    if (shaderPath.empty() || !FileExists(shaderPath)) {
        std::fprintf(stderr, "studio: no shader file %ls\n%s", shaderPath.c_str(), kUsage);
        return 2;
    }
    SetFailureSink(PrintFailure);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    intro.shell.clockFrequency = frequency.QuadPart;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    intro.shell.mainWindow = OpenStudioWindow(instance);
    if (!intro.shell.mainWindow) {
        std::fprintf(stderr, "studio: CreateWindowExW failed (%lu)\n", GetLastError());
        return 1;
    }
    ShowWindow(intro.shell.mainWindow, SW_SHOW);
    RECT client = {};
    GetClientRect(intro.shell.mainWindow, &client);
    intro.shell.clientWidth = client.right - client.left;
    intro.shell.clientHeight = client.bottom - client.top;

    ShaderWatch shader(shaderPath);
    std::string text;
    if (!shader.ReadText(&text)) {
        std::fprintf(stderr, "studio: cannot read %ls\n", shaderPath.c_str());
        return 1;
    }
    bool started = InitRenderer(text);
    if (started) {
        shader.CompiledAtStart();
    } else if (intro.renderer.device) {
        // The file does not compile: the executable's own shaders stand in until a save that does.
        ReleaseRenderer();
        started = InitRenderer(EmbeddedShaderText());
        if (started) shader.FailedAtStart(text);
    }
    if (!started) {
        ShutdownRoutine();
        DestroyWindow(intro.shell.mainWindow);
        return 1;
    }
    if (!StartMusic(instance)) std::fprintf(stderr, "studio: the music could not start; the show runs silent\n");

    // Sleep(1) in the pacing would wait a whole 15.6 ms tick at the system's default period.
    timeBeginPeriod(1);
    RunStudio(shader);
    timeEndPeriod(1);
    ShutdownRoutine();
    return 0;
}
