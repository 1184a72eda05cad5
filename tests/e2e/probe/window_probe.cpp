// The end-to-end tests' view of the intro from inside Wine: X11 knows neither Win32 class names nor
// window styles, so this console program looks them up and prints "key=value" lines for the shell.
//   htn_window_probe window        the intro window: rectangles, styles, screen sizes, the pointer
//   htn_window_probe box CAPTION   a message box with that caption: its text, its owner's class and
//                                  whether the pointer shows
//   htn_window_probe close         post WM_CLOSE to the intro window
//   htn_window_probe wait-fullscreen SECONDS
//                                  wait until the intro window is a popup over the whole screen
//   htn_window_probe frame         the loop time (ms) of the frame last presented, 0 before the first
//   htn_window_probe watch SECONDS each new frame's loop time as it comes, from the window's
//                                  appearance until it is gone, and each change of whether the
//                                  foreground thread's pointer shows
//   htn_window_probe serve         for each line read, the frame line as "frame" prints it
//   htn_window_probe exports PATH  the values of an executable's laptop GPU exports
// Exit code 0 when the window (or the executable) was found, 1 when not, 2 for a wrong command line.
// HTN_PROBE_CLASS in the environment names another window class to look for (the studio's).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <initializer_list>

namespace {

wchar_t introClass[256] = L"HTN_D3D11_IntroWnd";

void ReadWindowClass() {
  wchar_t named[256] = {};
  const DWORD length = GetEnvironmentVariableW(L"HTN_PROBE_CLASS", named, 256);
  if (length > 0 && length < 256) {
    std::wcscpy(introClass, named);
  }
}

// Whether the pointer shows, for the thread whose window has the focus.
int PointerShows() {
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  return (cursor.flags & CURSOR_SHOWING) != 0 ? 1 : 0;
}

void PrintRect(const char* name, const RECT& rect) {
  std::printf("%s=%ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right, rect.bottom);
}

int PrintWindow() {
  HWND window = FindWindowW(introClass, nullptr);
  std::printf("found=%d\n", window != nullptr ? 1 : 0);
  std::printf("screen=%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::printf("virtual=%d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  if (window == nullptr) {
    return 1;
  }
  RECT windowRect{};
  RECT clientRect{};
  GetWindowRect(window, &windowRect);
  GetClientRect(window, &clientRect);
  PrintRect("window", windowRect);
  PrintRect("client", clientRect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&clientRect), 2);
  PrintRect("client_on_screen", clientRect);
  const auto style = static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  std::printf("style=0x%08lX\n", style);
  std::printf("exstyle=0x%08lX\n", exStyle);
  std::printf("popup=%d\n", (style & WS_POPUP) != 0 ? 1 : 0);
  std::printf("caption=%d\n", (style & WS_CAPTION) == WS_CAPTION ? 1 : 0);
  std::printf("thickframe=%d\n", (style & WS_THICKFRAME) != 0 ? 1 : 0);
  std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
  std::printf("zoomed=%d\n", IsZoomed(window) ? 1 : 0);
  std::printf("pointer=%d\n", PointerShows());
  return 0;
}

int PrintBox(const wchar_t* caption) {
  // "#32770" is the dialog class that MessageBoxW uses; 0xFFFF is the id of its text.
  HWND box = FindWindowW(L"#32770", caption);
  std::printf("found=%d\n", box != nullptr ? 1 : 0);
  if (box == nullptr) {
    return 1;
  }
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  char utf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("text=%s\n", utf8);
  wchar_t ownerClass[256] = {};
  HWND owner = GetWindow(box, GW_OWNER);
  if (owner != nullptr) {
    GetClassNameW(owner, ownerClass, 256);
  }
  WideCharToMultiByte(CP_UTF8, 0, ownerClass, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("owner=%s\n", utf8);
  std::printf("pointer=%d\n", PointerShows());
  return 0;
}

int PostClose() {
  HWND window = FindWindowW(introClass, nullptr);
  std::printf("found=%d\n", window != nullptr ? 1 : 0);
  if (window == nullptr) {
    return 1;
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

bool StandsInFullScreen() {
  HWND window = FindWindowW(introClass, nullptr);
  if (window == nullptr || (GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP) == 0) {
    return false;
  }
  RECT windowRect{};
  GetWindowRect(window, &windowRect);
  return windowRect.left == 0 && windowRect.top == 0 && windowRect.right == GetSystemMetrics(SM_CXSCREEN) &&
         windowRect.bottom == GetSystemMetrics(SM_CYSCREEN);
}

// Polls every 5 ms, so that a start-up benchmark sees the moment and not the probe's own start.
int WaitForFullScreen(const wchar_t* seconds) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(1000.0 * std::wcstod(seconds, nullptr));
  std::printf("ready=1\n");
  std::fflush(stdout);
  while (!StandsInFullScreen()) {
    if (GetTickCount64() > deadline) {
      std::printf("found=0\n");
      return 1;
    }
    Sleep(5);
  }
  std::printf("found=1\n");
  return 0;
}

// The intro keeps the loop time of each presented frame, in milliseconds, in the window's user data.
// A window that is being destroyed can still be found but reads as 0: that counts as gone.
bool ReadFrameStamp(LONG_PTR& stamp) {
  HWND window = FindWindowW(introClass, nullptr);
  if (window == nullptr) {
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  stamp = GetWindowLongPtrW(window, GWLP_USERDATA);
  return stamp != 0 || GetLastError() == ERROR_SUCCESS;
}

int PrintFrame() {
  LONG_PTR stamp = 0;
  const bool found = ReadFrameStamp(stamp);
  std::printf("found=%d\n", found ? 1 : 0);
  if (!found) {
    return 1;
  }
  std::printf("frame_ms=%lld\n", static_cast<long long>(stamp));
  return 0;
}

// Polls every millisecond so that no frame goes unseen, and the last one seen is the last one
// before the window closed, or the one that closed it.
int WatchFrames(const wchar_t* seconds) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(1000.0 * std::wcstod(seconds, nullptr));
  LONG_PTR shown = -1;
  int pointer = -1;
  for (;;) {
    LONG_PTR stamp = -1;
    const bool found = ReadFrameStamp(stamp);
    if (!found && shown >= 0) {
      std::printf("gone=1\n");
      return 0;
    }
    if (stamp != shown) {
      shown = stamp;
      std::printf("frame_ms=%lld\n", static_cast<long long>(stamp));
      std::fflush(stdout);
    }
    // Read after the frame, so a frame logged after a change of the pointer was read after it.
    const int showing = PointerShows();
    if (showing != pointer) {
      pointer = showing;
      std::printf("pointer=%d\n", showing);
      std::fflush(stdout);
    }
    if (GetTickCount64() > deadline) {
      std::printf("gone=0\n");
      return 1;
    }
    Sleep(1);
  }
}

// Answers each line on standard input with the frame's loop time as "frame" prints it, so that a
// test reads it without starting a process each time; ends with its input.
int ServeFrames() {
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    LONG_PTR stamp = 0;
    if (ReadFrameStamp(stamp)) {
      std::printf("frame_ms=%lld\n", static_cast<long long>(stamp));
    } else {
      std::printf("found=0\n");
    }
    std::fflush(stdout);
  }
  return 0;
}

// Loaded as an image without running it or resolving its imports, so the export table is mapped.
int PrintExports(const wchar_t* path) {
  HMODULE module = LoadLibraryExW(path, nullptr, DONT_RESOLVE_DLL_REFERENCES);
  std::printf("found=%d\n", module != nullptr ? 1 : 0);
  if (module == nullptr) {
    return 1;
  }
  for (const char* name : {"NvOptimusEnablement", "AmdPowerXpressRequestHighPerformance"}) {
    const auto* value = reinterpret_cast<const DWORD*>(GetProcAddress(module, name));
    if (value != nullptr) {
      std::printf("%s=%lu\n", name, *value);
    } else {
      std::printf("%s=missing\n", name);
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ReadWindowClass();
  if (argc == 2 && std::wcscmp(argv[1], L"window") == 0) {
    return PrintWindow();
  }
  if (argc == 3 && std::wcscmp(argv[1], L"box") == 0) {
    return PrintBox(argv[2]);
  }
  if (argc == 2 && std::wcscmp(argv[1], L"close") == 0) {
    return PostClose();
  }
  if (argc == 3 && std::wcscmp(argv[1], L"wait-fullscreen") == 0) {
    return WaitForFullScreen(argv[2]);
  }
  if (argc == 2 && std::wcscmp(argv[1], L"frame") == 0) {
    return PrintFrame();
  }
  if (argc == 3 && std::wcscmp(argv[1], L"watch") == 0) {
    return WatchFrames(argv[2]);
  }
  if (argc == 2 && std::wcscmp(argv[1], L"serve") == 0) {
    return ServeFrames();
  }
  if (argc == 3 && std::wcscmp(argv[1], L"exports") == 0) {
    return PrintExports(argv[2]);
  }
  std::fprintf(stderr,
               "usage: htn_window_probe window | box CAPTION | close | wait-fullscreen SECONDS | frame |"
               " watch SECONDS | serve | exports PATH\n");
  return 2;
}
