#!/bin/bash
# Configures and builds the native tree (platform-free code and its unit tests, build/native) and
# the MinGW-w64 cross tree (the intro and the Windows tests, build/windows), Release, two jobs.
#   scripts/build.sh [native] [intro] [windows]    (default: native windows)
#   intro: only the intro and the end-to-end tests' probe from the cross tree; windows: all of it
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

jobs=${HTN_BUILD_JOBS:-2}

BuildNative() {
  cmake -S "$HTN_REPO" -B "$HTN_REPO/build/native" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$HTN_REPO/build/native" -j "$jobs"
}

# ConfigureWindows: the cross tree, configured once and reused.
ConfigureWindows() {
  cmake -S "$HTN_REPO" -B "$HTN_REPO/build/windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$HTN_REPO/cmake/mingw-w64-x86_64.cmake"
}

# ExpectOutputs PATH...: the harness runs the cross build's programs by these paths.
ExpectOutputs() {
  local output
  for output in "$@"; do
    [[ -f $HTN_REPO/build/windows/$output ]] || HtnDie "the cross build did not produce build/windows/$output"
  done
}

# Only what playing and the end-to-end tests need, so they do not wait on the unit tests' build.
BuildIntro() {
  ConfigureWindows
  cmake --build "$HTN_REPO/build/windows" -j "$jobs" --target htn_intro htn_window_probe
  ExpectOutputs htn_intro.exe tests/e2e/htn_window_probe.exe
}

BuildWindows() {
  ConfigureWindows
  cmake --build "$HTN_REPO/build/windows" -j "$jobs"
  ExpectOutputs htn_intro.exe tests/e2e/htn_window_probe.exe tests/htn_windows_tests.exe
}

targets=("$@")
((${#targets[@]} > 0)) || targets=(native windows)
for target in "${targets[@]}"; do
  case $target in
    native) BuildNative ;;
    intro) BuildIntro ;;
    windows) BuildWindows ;;
    *) HtnDie "unknown build '$target' (native, intro or windows)" ;;
  esac
done
