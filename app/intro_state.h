#pragma once

#include <windows.h>

#include <cstdint>

#include "app/exit_sequence.h"
#include "app/fullscreen_placement.h"
#include "audio/music_state.h"
#include "render/renderer_state.h"
#include "scroller/scroller_state.h"

// The shell's fields: clock, window, client size, Escape and the full-screen toggle.
struct ShellState {
    int64_t clockFrequency = 0;
    int64_t loopStartCounter = 0;  // counter value when the loop began
    HWND mainWindow = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    ExitState exit;
    FullscreenState fullscreen;
};

// The program's process-wide state, each part owned by its subsystem.
struct IntroState {
    ShellState shell;
    RendererState renderer;
    ScrollerState scroller;
    MusicState music;
};

extern IntroState intro;
