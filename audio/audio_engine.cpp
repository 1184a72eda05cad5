#include "audio/audio_engine.h"

#include "app/failure_text.h"

namespace {

// The engine's own choice of processor, and the Windows version the program is built for.
constexpr UINT32 kDefaultProcessor = 1;
constexpr DWORD kTargetWindowsVersion = 0x0A000010;

template <typename Entry>
Entry FindEntry(HMODULE library, const char* name)
{
    // Through a generic function type, which the compiler accepts as a deliberate reinterpretation.
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The loader's error as an HRESULT; a loader that failed without saying why still counts as failed.
HRESULT LastErrorCode()
{
    const HRESULT code = static_cast<HRESULT>(Win32ErrorCode(GetLastError()));
    return FAILED(code) ? code : E_FAIL;
}

HRESULT FindEngineEntries(MusicState& music, const wchar_t* libraryName)
{
    if (music.xaudioLibrary == nullptr) {
        music.xaudioLibrary = LoadLibraryExW(libraryName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (music.xaudioLibrary == nullptr) {
            return LastErrorCode();
        }
        music.createWithVersionInfo =
            FindEntry<XAudio2CreateWithVersionInfoEntry>(music.xaudioLibrary, "XAudio2CreateWithVersionInfo");
        if (music.createWithVersionInfo == nullptr) {
            music.create = FindEntry<XAudio2CreateEntry>(music.xaudioLibrary, "XAudio2Create");
        }
    }
    if (music.createWithVersionInfo == nullptr && music.create == nullptr) {
        return LastErrorCode();
    }
    return S_OK;
}

}  // namespace

HRESULT CreateAudioEngine(MusicState& music, const wchar_t* libraryName)
{
    const HRESULT found = FindEngineEntries(music, libraryName);
    if (FAILED(found)) {
        return found;
    }
    HRESULT created = E_FAIL;
    if (music.createWithVersionInfo != nullptr) {
        created = music.createWithVersionInfo(&music.audioEngine, 0, kDefaultProcessor, kTargetWindowsVersion);
    } else {
        created = music.create(&music.audioEngine, 0, kDefaultProcessor);
    }
    if (FAILED(created)) {
        music.audioEngine = nullptr;
        return created;
    }
    return music.audioEngine == nullptr ? E_POINTER : S_OK;
}
