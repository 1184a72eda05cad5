#!/bin/bash
# Regenerates the reference frames in tests/reference/<W>x<H>/*.png: cross-builds htn_frames,
# draws every reference frame under Wine through the intro's own renderer, and replaces the
# stored PNGs with the new ones. Run it after any change that is meant to alter the picture.
#   scripts/make-reference-frames.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

tree=build/windows
HtnConfigure windows >/dev/null
HtnBuild windows --target htn_frames

work=$(mktemp -d)
trap 'rm -rf --one-file-system "$work"' EXIT
# The repository is read-only inside; the frames are written into the run's output folder.
HTN_SCREEN=1920x1080x24 "$HTN_REPO/scripts/wine-run.sh" --out "$work" --timeout 600 \
  "$tree/tools/frames/htn_frames.exe" --reference-set reference

reference=$HTN_REPO/tests/reference
shopt -s nullglob
made=("$work"/reference/*/*.png)
((${#made[@]} > 0)) || HtnDie "htn_frames wrote no frames"
rm -rf --one-file-system "$reference"
mkdir -p "$reference"
cp -r "$work"/reference/. "$reference"/
echo "make-reference-frames: ${#made[@]} frames, $(du -sh "$reference" | cut -f1) in tests/reference"
