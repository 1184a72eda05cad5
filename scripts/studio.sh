#!/bin/bash
# Starts the studio (htn_studio.exe: the show on a shader file that is compiled again on every
# save, with a seekable timeline) under Wine 10 on this machine's display, with the host's
# PulseAudio when there is one. Sets up and builds what it needs first, as play.sh does.
#   scripts/studio.sh [--shader PATH] [ARGS...]
#     --shader PATH   the HLSL file to show and watch (default: the repository's shaders/intro.hlsl);
#                     the stills that F12 takes are written beside it
#     further arguments go to the studio as they are
#   HTN_D3D=wined3d|dxvk   Direct3D 11 through Wine's wined3d (default) or through DXVK
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

shader=$HTN_REPO/shaders/intro.hlsl
args=()
while (($# > 0)); do
  case $1 in
    --shader)
      (($# > 1)) || HtnDie "--shader needs the path of an HLSL file"
      shader=$2
      shift 2
      ;;
    *) args+=("$1"); shift ;;
  esac
done
[[ -f $shader ]] || HtnDie "--shader $shader: no such file"
[[ -n ${DISPLAY:-} ]] || HtnDie "needs a display (DISPLAY) to open the studio's window on"
shader=$(realpath "$shader")

"$HTN_REPO/scripts/setup.sh"
HtnConfigure windows >/dev/null
HtnBuild windows --target htn_studio >/dev/null
exe=build/windows/tools/studio/htn_studio.exe
[[ -f $HTN_REPO/$exe ]] || HtnDie "the cross build did not produce $exe"

echo "studio: starting on $DISPLAY with $shader (${HTN_D3D:-wined3d})"
echo "studio: Space pause, Left/Right 1 s (Shift: 10 s), Home to 0, comma/period one frame, Up/Down speed,"
echo "studio: E end card, R back to the show, H heads-up display, F11 full screen, F12 still, Q quit"
# Wine sees the repository read-only; the shader's folder goes in writable, as /out, so that the
# stills can be written beside it. Saves there (a rename over the file included) reach the studio.
exec "$HTN_REPO/scripts/wine-run.sh" --host-display --out "$(dirname "$shader")" --timeout 86400 \
  "$exe" --shader "/out/$(basename "$shader")" "${args[@]}"
