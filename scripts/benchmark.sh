#!/bin/bash
# Times the intro's passes (scene, composite, end card, and a flat-colour pass for comparison) with
# GPU timestamp queries at 1280x720, 1920x1080 and 3840x2160 and prints the medians. Here it runs
# under Wine on the software renderer, so only figures from one run compare with each other; on
# Windows run build/.../tools/frames/htn_pass_benchmark.exe directly. Nothing is judged.
#   scripts/benchmark.sh [--frames N]      (default 30 frames per size)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

tree=build/windows
HtnConfigure windows >/dev/null
HtnBuild windows --target htn_pass_benchmark >/dev/null

work=$(mktemp -d)
trap 'rm -rf --one-file-system "$work"' EXIT
# The largest size needs a desktop at least as large for its window.
HTN_SCREEN=3840x2160x24 "$HTN_REPO/scripts/wine-run.sh" --out "$work" --timeout 1800 \
  "$tree/tools/frames/htn_pass_benchmark.exe" "$@"
