#!/bin/sh
# Regenerates resources/soundtrack.mp3: builds the synthesiser, renders the WAV, encodes it with lame.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build/soundtrack"

command -v lame >/dev/null || { echo "lame is missing: apt-get install -y lame" >&2; exit 1; }
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j "${HTN_BUILD_JOBS:-2}" >/dev/null
"$build/htn_soundtrack" "$build/soundtrack.wav"
# VBR around 190 kbit/s keeps the file near 1.5 MB; no ID3 tag, the intro never reads one.
lame --quiet --noreplaygain -V 2 -q 2 "$build/soundtrack.wav" "$root/resources/soundtrack.mp3"
ls -l "$root/resources/soundtrack.mp3"
