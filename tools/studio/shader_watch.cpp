#include "tools/studio/shader_watch.h"

#include <cstdio>
#include <utility>

#include "tools/studio/studio_rules.h"

// What one worker compiles and leaves behind; the main thread reads it only after the worker ended.
struct ShaderWatch::Compile {
    std::string text;
    std::string sourceName;
    ShaderProfiles profiles{};
    CompiledShaders compiled;
    bool ok = false;
    std::string messages;
};

namespace {

// The file is looked at this often: a save reaches the screen within a compile and this.
constexpr ULONGLONG kPollMilliseconds = 100;

std::string NarrowPath(const std::wstring& path)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? static_cast<size_t>(size - 1) : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::string ClockText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    return text;
}

}  // namespace

ShaderWatch::ShaderWatch(std::wstring path) : filePath(std::move(path)), sourceName(NarrowPath(filePath))
{
    Changed();
}

ShaderWatch::~ShaderWatch()
{
    if (worker) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    }
    delete running;
}

bool ShaderWatch::ReadText(std::string* text) const
{
    // Editors that save by renaming a new file over the old one may hold it open meanwhile.
    const HANDLE file = CreateFileW(filePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < (64ll << 20);
    if (read) {
        text->assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        read = size.QuadPart == 0 ||
               (ReadFile(file, text->data(), static_cast<DWORD>(size.QuadPart), &got, nullptr) && got == size.QuadPart);
    }
    CloseHandle(file);
    return read;
}

bool ShaderWatch::Changed()
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(filePath.c_str(), GetFileExInfoStandard, &data)) return false;
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const bool changed = CompareFileTime(&data.ftLastWriteTime, &lastWrite) != 0 || size != lastSize;
    lastWrite = data.ftLastWriteTime;
    lastSize = size;
    return changed;
}

DWORD WINAPI ShaderWatch::RunCompile(void* job)
{
    Compile& compile = *static_cast<Compile*>(job);
    compile.ok = CompileShaderText(compile.text, compile.sourceName.c_str(), compile.profiles, &compile.compiled,
                                   &compile.messages);
    return 0;
}

void ShaderWatch::Start(std::string text)
{
    running = new Compile;
    running->text = std::move(text);
    running->sourceName = sourceName;
    running->profiles = RendererShaderProfiles();
    worker = CreateThread(nullptr, 0, RunCompile, running, 0, nullptr);
    // Without a thread the compile runs here, and the frame waits for it.
    if (!worker) RunCompile(running);
    stateText = "compiling";
}

bool ShaderWatch::TakeUp()
{
    if (worker) {
        if (WaitForSingleObject(worker, 0) != WAIT_OBJECT_0) return false;
        CloseHandle(worker);
        worker = nullptr;
    }
    Compile* done = running;
    running = nullptr;
    bool ok = done->ok;
    std::string messages = std::move(done->messages);
    if (ok) ok = ReplaceShaders(done->text, done->compiled, &messages);
    delete done;
    errorText = ok ? std::string() : messages.empty() ? "the compiler gave no reason" : messages;
    Announce(ok);
    return true;
}

void ShaderWatch::Announce(bool ok)
{
    if (ok) {
        stateText = "compiled " + ClockText();
        std::printf("studio: shader %s %s\n", sourceName.c_str(), stateText.c_str());
    } else {
        stateText = "error";
        // The first error, not a warning that the compiler happened to give before it.
        const std::vector<std::string> first = FirstErrorLines(errorText, 1, 400);
        std::printf("studio: shader %s failed: %s\n", sourceName.c_str(), first.empty() ? "" : first[0].c_str());
    }
    std::fflush(stdout);
}

void ShaderWatch::CompiledAtStart()
{
    Announce(true);
}

bool ShaderWatch::Poll()
{
    const ULONGLONG now = GetTickCount64();
    if (now - lastPoll >= kPollMilliseconds) {
        lastPoll = now;
        if (Changed()) pending = true;
    }
    bool changed = false;
    if (running) changed = TakeUp();
    if (!running && pending) {
        std::string text;
        // A file that cannot be read yet is tried again at the next look.
        if (ReadText(&text)) {
            pending = false;
            Start(std::move(text));
        } else {
            lastSize = ~0ull;
        }
    }
    return changed;
}

void ShaderWatch::FailedAtStart(const std::string& text)
{
    Start(text);
    if (worker) WaitForSingleObject(worker, INFINITE);
    TakeUp();
}
