#!/bin/bash
# Configures and builds the native tree (platform-free code and its unit tests, build/native) and
# the MinGW-w64 cross tree (the intro and the Windows tests, build/windows), Release, from the
# presets in CMakePresets.json, with $HTN_BUILD_JOBS jobs (default 2).
#   scripts/build.sh [native] [intro] [windows]    (default: native windows)
#   intro: only the intro and the end-to-end tests' probe from the cross tree; windows: all of it
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

BuildNative() {
  HtnConfigure native
  HtnBuild native
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
  HtnConfigure windows
  HtnBuild windows --target htn_intro htn_window_probe
  ExpectOutputs htn_intro.exe tests/e2e/htn_window_probe.exe
}

BuildWindows() {
  HtnConfigure windows
  HtnBuild windows
  ExpectOutputs htn_intro.exe tests/e2e/htn_window_probe.exe tests/htn_windows_tests.exe tools/studio/htn_studio.exe
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
