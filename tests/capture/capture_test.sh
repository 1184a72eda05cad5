#!/bin/bash
# Checks scripts/capture.sh from the host, where ffmpeg is: a short capture at 320x180 and 30 fps
# with Escape at 6 s, stopped before 8 s (the picture is black until 2.5 s, so a shorter one would
# show nothing worth comparing), judged by ffprobe, against a second run, against the frames tool's
# pictures at the same loop times, and by its sound; then an interrupted capture and bad arguments.
#   tests/capture/capture_test.sh [WORK_DIR]     (as root; default: a temporary folder)
# Prints one indented line per check and exits non-zero when any fails.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
repo=$HTN_REPO
work=${1:-$(mktemp -d)}
rm -rf --one-file-system "$work"
mkdir -p "$work"
capture=$repo/scripts/capture.sh

width=320 height=180 fps=30 escapeAt=6 until=8
shortArgs=(--size "${width}x${height}" --fps "$fps" --escape-at "$escapeAt" --until "$until")

passed=0 failed=0
Pass() { passed=$((passed + 1)); echo "  ok   $1"; }
Fail() { failed=$((failed + 1)); echo "  FAIL $1${2:+ ($2)}"; }
# Check NAME COMMAND...: passes when the command succeeds.
Check() {
  local name=$1
  shift
  if "$@"; then Pass "$name"; else Fail "$name"; fi
}
Finish() {
  echo "  $passed checks passed, $failed failed"
  ((failed == 0 && passed > 0))
  exit
}
# Within VALUE LOW HIGH: LOW <= VALUE <= HIGH, as decimals.
Within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v != "" && v >= lo && v <= hi) }'; }

# --- a short capture and its streams ---------------------------------------------------------------

if ! "$capture" "${shortArgs[@]}" --out "$work/a.mp4" >"$work/a.log" 2>&1; then
  tail -n 20 "$work/a.log" | sed 's/^/  | /'
  Fail "short capture runs"
  Finish
fi
Pass "short capture runs"

Probe() { ffprobe -v error -select_streams "$1" -show_entries "stream=$2" -of csv=p=0 "$work/a.mp4"; }
Check "video: H.264, yuv420p, 320x180, 30 fps" \
  test "$(Probe v codec_name,width,height,pix_fmt,r_frame_rate)" == "h264,320,180,yuv420p,30/1"
# Frames at k / 30 s for every k with k / 30 < 8.
Check "video: 240 frames" test "$(Probe v nb_frames)" == 240
Check "video: 8 s long" Within "$(Probe v duration)" 7.999 8.001
Check "audio: AAC, 44.1 kHz, stereo" test "$(Probe a codec_name,sample_rate,channels)" == "aac,44100,2"
Check "audio: as long as the video" Within "$(Probe a duration)" 7.95 8.05

# --- determinism ------------------------------------------------------------------------------------

"$capture" "${shortArgs[@]}" --out "$work/b.mp4" >"$work/b.log" 2>&1
for name in a b; do
  ffmpeg -v error -i "$work/$name.mp4" -map 0:v -f framemd5 - | grep -v '^#' >"$work/$name.framemd5"
done
Check "a second capture decodes to the same 240 frames" \
  eval '[[ $(wc -l <"$work/b.framemd5") == 240 ]] && cmp -s "$work/a.framemd5" "$work/b.framemd5"'

# --- the picture against the frames tool ----------------------------------------------------------

# DecodedFrame N FORMAT: frame N of the capture, full-range, as raw pixels.
DecodedFrame() {
  ffmpeg -v error -i "$work/a.mp4" \
    -vf "select=eq(n\\,$1),scale=in_color_matrix=bt709:in_range=tv:out_range=pc:flags=accurate_rnd+full_chroma_int,format=$2" \
    -frames:v 1 -f rawvideo -
}
# MeanDifference A B: mean absolute difference per channel of two rgb24 pictures, leaving out the
# bottom-left corner, where the capture carries the signature and the frames tool does not.
MeanDifference() {
  paste <(od -An -v -tu1 -w3 "$1") <(od -An -v -tu1 -w3 "$2") | awk -v w="$width" -v h="$height" '
    { i = NR - 1; x = i % w; y = int(i / w) }
    x < 64 && y >= h - 32 { next }
    { for (c = 1; c <= 3; c++) { d = $c - $(c + 3); sum += d < 0 ? -d : d; n++ } }
    END { printf "%.2f\n", n ? sum / n : 999 }'
}

# The capture has configured the cross build; the frames tool may not be built yet.
HtnBuild windows --target htn_frames >"$work/build.log" 2>&1

# Frame 177 is loop time 5.9 (the scroller running); frame 225 is 7.5, the end card 1.5 s after
# Escape. 176 and 224 are the frames just before, the pictures a one-frame timing error would give.
"$repo/scripts/wine-run.sh" --out "$work" --timeout 300 build/windows/tools/frames/htn_frames.exe \
  --size "${width}x${height}" --t 5.9 --out t5.9.png --t 7.5 --exit-t 1.5 --out t7.5.png \
  --t 5.8666667 --out t5.87.png --t 7.4666667 --exit-t 1.4666667 --out t7.47.png >"$work/frames.log" 2>&1
for name in t5.9 t7.5 t5.87 t7.47; do
  ffmpeg -v error -i "$work/$name.png" -f rawvideo -pix_fmt rgb24 - >"$work/$name.rgb"
done
DecodedFrame 177 rgb24 >"$work/f177.rgb"
DecodedFrame 225 rgb24 >"$work/f225.rgb"
# Compression (4:2:0 colour, CRF 18) costs about 2 to 3 levels on average here; the frame next to
# the right one differs by 5.8 (end card) and 30 (scroller).
tolerance=4
for pair in "177 t5.9 t5.87 scroller at 5.9 s" "225 t7.5 t7.47 end card at 7.5 s"; do
  read -r frame same before what <<<"$pair"
  difference=$(MeanDifference "$work/f$frame.rgb" "$work/$same.rgb")
  Check "frame $frame ($what) matches the frames tool within $tolerance (mean $difference)" \
    Within "$difference" 0 "$tolerance"
  difference=$(MeanDifference "$work/f$frame.rgb" "$work/$before.rgb")
  Check "frame $frame differs from the frames tool's frame before it (mean $difference)" \
    Within "$difference" "$tolerance" 255
done

# At 1 s the show is black, so the only light is the signature: white text whose top-left is at
# (8, height - 24), about 16 pixels high (3 of them above the letters) and short.
box=$(DecodedFrame 30 gray | od -An -v -tu1 -w1 | awk -v w="$width" '
  { i = NR - 1; x = i % w; y = int(i / w) }
  $1 > 128 { n++; if (n == 1 || x < x0) x0 = x; if (x > x1) x1 = x; if (n == 1) y0 = y; y1 = y; next }
  $1 > 24 && (x < 4 || x > 60 || y < 150) { stray++ }
  END { printf "%d %d %d %d %d %d\n", n, x0, x1, y0, y1, stray }')
read -r lit x0 x1 y0 y1 stray <<<"$box"
Check "signature: white text from (8, 156) in a black frame (lit $lit, x $x0-$x1, y $y0-$y1, stray $stray)" \
  eval '((lit >= 40 && x0 >= 8 && x0 <= 10 && x1 <= 56 && y0 >= 156 && y0 <= 162 && y1 < height && stray == 0))'

# --- the sound ---------------------------------------------------------------------------------------

# WindowRms FILE: the RMS of each 0.1 s of the first 8 s of FILE, decoded to 16-bit stereo 44.1 kHz,
# and the window's peak sample.
WindowRms() {
  ffmpeg -v error -i "$1" -t 8 -f s16le -ac 2 -ar 44100 - | od -An -v -td2 -w4 | awk '
    { w = int((NR - 1) / 4410); sum[w] += $1 * $1 + $2 * $2
      for (c = 1; c <= 2; c++) { a = $c < 0 ? -$c : $c; if (a > peak[w]) peak[w] = a } }
    END { for (w = 0; w < 80; w++) printf "%d %.2f %d\n", w, sqrt(sum[w] / 8820), peak[w] }'
}
# The track decoded by ffmpeg itself stands for the unfaded music; the gain of each window is the
# capture's RMS over the track's. Before Escape it is 1; in the second after it the volume falls
# linearly from 1 to 0, so window w (from 6 + w/10 s) has the RMS gain sqrt((a² + ab + b²) / 3) of
# a ramp from a = 1 - w/10 to b = a - 0.1; from 7.1 s on the sound is digital silence.
WindowRms "$work/a.mp4" >"$work/capture.rms"
WindowRms "$repo/resources/soundtrack.mp3" >"$work/track.rms"
paste "$work/capture.rms" "$work/track.rms" | awk '
  { gain = $5 > 0 ? $2 / $5 : -1 }
  $1 >= 1 && $1 < 60 && (gain < 0.95 || gain > 1.05) { before++ }
  $1 >= 60 && $1 < 70 {
    a = 1 - ($1 - 60) / 10; b = a - 0.1; want = sqrt((a * a + a * b + b * b) / 3)
    if (gain < want - 0.05 || gain > want + 0.05 || (previous != "" && gain >= previous)) fade++
    previous = gain
  }
  $1 >= 71 && $3 > 16 { loud++ }
  END { printf "%d %d %d\n", before, fade, loud }' >"$work/sound.verdict"
read -r badBefore badFade badSilence <"$work/sound.verdict"
Check "sound: the track at full level from 0.1 s until Escape at 6 s ($badBefore windows off)" test "$badBefore" == 0
Check "sound: a linear fade, decreasing over the second after Escape ($badFade windows off)" test "$badFade" == 0
Check "sound: silent from 7.1 s ($badSilence windows with a sample above 16)" test "$badSilence" == 0

# --- interrupted: no file ------------------------------------------------------------------------------

# A TERM once frames are flowing takes the same way out as Ctrl-C's INT (a job started in the
# background of a script ignores INT).
"$capture" "${shortArgs[@]}" --out "$work/cut/c.mp4" >"$work/cut.log" 2>&1 &
pid=$!
for ((tries = 0; tries < 600; tries++)); do
  compgen -G "$work/cut/.htn_capture.*/audio.wav" >/dev/null && break
  sleep 0.1
done
sleep 0.5
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
Check "interrupted capture: exit 130, no video and nothing temporary left (exit $status, left: $(ls -A "$work/cut" | tr '\n' ' '))" \
  eval '((status == 130)) && [[ -z $(ls -A "$work/cut") ]]'

# --- bad arguments ------------------------------------------------------------------------------------

mkdir -p "$work/bad"
while IFS='|' read -r arguments message; do
  read -r -a list <<<"$arguments"
  status=0
  "$capture" "${list[@]}" --out "$work/bad/x.mp4" >"$work/bad.out" 2>&1 || status=$?
  Check "$arguments: exit 2, '$message', no file" \
    eval '((status == 2)) && grep -q -- "$message" "$work/bad.out" && [[ -z $(ls -A "$work/bad") ]]'
done <<'EOF'
--size 321x180|each side must be even and from 16 to 16384
--size 14x14|each side must be even and from 16 to 16384
--size 16386x16|each side must be even and from 16 to 16384
--size big|--size wants WxH
--fps 0|--fps wants a whole number from 1 to 240
--fps 241|--fps wants a whole number from 1 to 240
--escape-at -1|--escape-at wants seconds from 0 to 600
--escape-at 600.5|--escape-at wants seconds from 0 to 600
EOF
status=0
"$capture" --size 320x180 --out /proc/htn-capture/x.mp4 >"$work/bad.out" 2>&1 || status=$?
Check "an output folder that cannot be written: exit 2 and says so" \
  eval '((status == 2)) && grep -q "cannot write into the folder /proc/htn-capture" "$work/bad.out"'

Finish
