#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "render/renderer.h"

// The studio's shader file: watched for saves, compiled on a worker thread so that the show runs
// on while the compiler works, and put in place of the renderer's shaders between two frames.
class ShaderWatch {
public:
    explicit ShaderWatch(std::wstring path);
    ~ShaderWatch();
    ShaderWatch(const ShaderWatch&) = delete;
    ShaderWatch& operator=(const ShaderWatch&) = delete;

    // The file's whole text; false when it cannot be read (a save may be under way).
    bool ReadText(std::string* text) const;

    // Called once per frame on the main thread: starts a compile when the file has changed since
    // the last one began (a save in place or a new file renamed over it), and takes up a finished
    // one. True when the shader state changed: new shaders are in, or a compile failed.
    bool Poll();

    const std::wstring& path() const { return filePath; }
    // "compiled 12:34:56", "compiling", or "error": the heads-up line's shader state.
    const std::string& state() const { return stateText; }
    // The compiler's (or the failed call's) text of the last failed compile; empty after a good one.
    const std::string& errors() const { return errorText; }

    // InitRenderer compiled the file's text: the state says so.
    void CompiledAtStart();

    // The file's text that InitRenderer failed on, so that its errors show while the built-in
    // shaders stand in: compiled again here, on the main thread, for its messages.
    void FailedAtStart(const std::string& text);

private:
    struct Compile;
    static DWORD WINAPI RunCompile(void* job);
    bool Changed();
    void Start(std::string text);
    bool TakeUp();
    void Announce(bool ok);

    std::wstring filePath;
    std::string sourceName;  // the path as the compiler names it in its messages
    FILETIME lastWrite = {};
    ULONGLONG lastSize = ~0ull;
    ULONGLONG lastPoll = 0;
    bool pending = false;  // a change seen while a compile ran
    Compile* running = nullptr;
    HANDLE worker = nullptr;
    std::string stateText = "compiling";
    std::string errorText;
};
