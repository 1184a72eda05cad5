#!/bin/bash
# Plays the intro under Wine 10. With a DISPLAY it opens on that display (with the host's
# PulseAudio when there is one, else a silent null sink) and runs until the viewer ends it.
# Without one it runs on a virtual display, saves screenshots at fixed moments into out/play/,
# presses Escape, and prints the screenshots' paths once the intro has closed.
#   HTN_SCREEN=WxHxD   size of the virtual display (default 1280x720x24)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

"$HTN_REPO/scripts/setup.sh"
"$HTN_REPO/scripts/build.sh" intro

if [[ -n ${DISPLAY:-} ]]; then
  echo "play: starting the intro on $DISPLAY (Escape ends it, F11 toggles full screen)"
  exec "$HTN_REPO/scripts/wine-run.sh" --host-display --timeout 86400 build/windows/htn_intro.exe
fi

outDir=$HTN_REPO/out/play
rm -rf "$outDir"
mkdir -p "$outDir"
echo "play: no DISPLAY; running on a virtual display and taking screenshots"
status=0
"$HTN_REPO/scripts/wine-run.sh" --out "$outDir" --timeout 180 scripts/lib/play-headless.sh || status=$?
shopt -s nullglob
for shot in "$outDir"/*.png; do
  echo "$shot"
done
exit "$status"
