#!/bin/bash
# Checks scripts/capture.sh from the host, where ffmpeg is: a short capture at 320x180 and 30 fps
# with Escape at 6 s, stopped before 8 s (the picture is black until 2.5 s, so a shorter one would
# show nothing worth comparing), judged by ffprobe, against a second run, against the frames tool's
# pictures at the same loop times (the scan lines on every lit frame among them), and by its
# sound; then an interrupted capture, a disk that fills up, an animated WebP and bad arguments.
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
# Frames 90 to 179 (3 s to Escape) are drawn as well, for the scan lines below.
scanShots=()
for ((frame = 90; frame < 180; frame++)); do
  scanShots+=(--t "$(awk -v k="$frame" 'BEGIN { printf "%.9f", k / 30 }')" --out "$(printf 'scan%03d.png' "$frame")")
done
"$repo/scripts/wine-run.sh" --out "$work" --timeout 300 build/windows/tools/frames/htn_frames.exe \
  --size "${width}x${height}" --t 5.9 --out t5.9.png --t 7.5 --exit-t 1.5 --out t7.5.png \
  --t 5.8666667 --out t5.87.png --t 7.4666667 --exit-t 1.4666667 --out t7.47.png "${scanShots[@]}" \
  >"$work/frames.log" 2>&1
for name in t5.9 t7.5 t5.87 t7.47; do
  ffmpeg -v error -i "$work/$name.png" -f rawvideo -pix_fmt rgb24 - >"$work/$name.rgb"
done
DecodedFrame 177 rgb24 >"$work/f177.rgb"
DecodedFrame 225 rgb24 >"$work/f225.rgb"
# Compression (mostly its 4:2:0 colour) costs about 2 levels on average here; the frame next to
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

# The scan lines: CompositePS darkens every other pair of screen rows, counted from the bottom
# (rows 0 and 1, 4 and 5, ...), to 0.97 of the picture; the end card has none. Compression must
# keep them: on every lit frame before Escape, the luma of the darkened pairs over that of the rows
# just above and below them must be within 0.003 of the same ratio in the frames tool's picture.
# LumaRows FILTER INPUT...: for each row of each frame of ffmpeg's INPUT after FILTER, in 4:2:0,
# the sum of its luma above black (16) right of x = 64, clear of the signature.
LumaRows() {
  local filter=$1
  shift
  ffmpeg -v error "$@" -vf "$filter" -f rawvideo -pix_fmt yuv420p - | od -An -v -tu1 -w"$width" |
    awk -v h="$height" -v w="$width" '
      # A frame is h rows of luma, then its two colour planes in h / 2 more lines.
      (NR - 1) % (h * 3 / 2) < h { s = 0; for (i = 65; i <= w; i++) s += $i - 16; print s }'
}
# ScanRatios FIRST: "frame ratio level" for each frame of LumaRows' lines, numbered from FIRST:
# the darkened pairs' luma over that of the rows just above and below them, and those rows' mean
# level (full range, 0 to 255).
ScanRatios() {
  awk -v h="$height" -v w="$width" -v first="$1" '
    function dark(y) { return int((h - 1 - y) / 2) % 2 == 0 }
    { row[(NR - 1) % h] = $1 }
    (NR - 1) % h == h - 1 {
      d = 0; b = 0; n = 0
      for (r = 1; r + 2 < h; r++) {
        if (dark(r) && dark(r + 1) && !dark(r - 1) && !dark(r + 2)) { d += row[r] + row[r + 1]; b += row[r - 1] + row[r + 2]; n++ }
      }
      printf "%d %.5f %.2f\n", first + int((NR - 1) / h), (b > 0 ? d / b : 0), (n > 0 ? b / (2 * n * (w - 64)) * 255 / 219 : 0)
    }'
}
LumaRows "select=between(n\\,90\\,179),setpts=PTS-STARTPTS" -i "$work/a.mp4" | ScanRatios 90 >"$work/capture.scan"
# The frames tool's pictures go into 4:2:0 as the capture script turns its frames.
LumaRows "scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd+full_chroma_int,format=yuv420p" \
  -start_number 90 -i "$work/scan%03d.png" | ScanRatios 90 >"$work/frames.scan"
# Lit: the rows beside the darkened ones average 10 levels or more (by 3 s the logo is fading in;
# fainter frames hold differences under half a level, which 8 bits cannot keep).
read -r litFrames off worst worstFrame meanRatio < <(paste -d ' ' "$work/capture.scan" "$work/frames.scan" | awk '
  $1 == $4 && $6 >= 10 { n++; d = $2 - $5; if (d < 0) d = -d; if (d > 0.003) off++; if (d > worst) { worst = d; at = $1 }; sum += $5 }
  END { printf "%d %d %.4f %d %.4f\n", n, off, worst, at, (n > 0 ? sum / n : 0) }')
Check "scan lines: the frames tool's lit frames darken the rows CompositePS darkens by 3 % ($litFrames frames, mean ratio $meanRatio)" \
  eval '((litFrames >= 60)) && Within "$meanRatio" 0.965 0.975'
Check "scan lines: kept on every lit frame before Escape, within 0.003 of the frames tool's ratio ($off of $litFrames off, worst $worst at frame $worstFrame)" \
  eval '((litFrames >= 60 && off == 0))'

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

# --- a disk that fills up ------------------------------------------------------------------------------

# Half a second: about 16 KiB of video and sound, which ffmpeg holds in its 32 KiB write buffer
# until it finishes, so the disk fills only then, as it writes the last of the file and its index,
# and ffmpeg still exits 0. The file system has room for the sound file (0.5 s of 16-bit stereo at
# 44.1 kHz, written before the first frame), a page for each log and 8 KiB more.
full=$work/full
mkdir -p "$full"
room=$(((22050 * 4 + 44 + 4095) / 4096 * 4 + 2 * 4 + 8))
if mount -t tmpfs -o "size=${room}k" htn-capture-test "$full"; then
  status=0
  "$capture" --size "${width}x${height}" --fps "$fps" --escape-at "$escapeAt" --until 0.5 --out "$full/x.mp4" \
    >"$work/full.log" 2>&1 || status=$?
  Check "a disk that fills up (${room} KiB): exit 1, 'disk full while writing $full/x.mp4', nothing left (exit $status, left: $(ls -A "$full" | tr '\n' ' '))" \
    eval '((status == 1)) && grep -q "disk full while writing $full/x.mp4" "$work/full.log" && [[ -z $(ls -A "$full") ]]'
  umount "$full"
else
  Fail "a disk that fills up: no tmpfs could be mounted"
fi

# --- an animated WebP from a later start --------------------------------------------------------------

# From 5 s to 8 s at 10 fps: 30 frames of 100 ms, looping for ever. The container is read here by
# its layout: RIFF, WEBP, then chunks of a four-letter name, a 32-bit size and the data (padded to
# even); VP8X holds the canvas size less one (24 bits each, from byte 24), ANIM the loop count
# (16 bits, at 4 in its data), and each ANMF a frame with its duration (24 bits, at 12 in its data).
status=0
"$capture" --size 160x90 --fps 10 --from 5 --escape-at 6 --until 8 --out "$work/p.webp" >"$work/webp.log" 2>&1 || status=$?
read -r canvas loops frames milliseconds < <(od -An -v -tu1 "$work/p.webp" 2>/dev/null | awk '
  { for (i = 1; i <= NF; i++) b[n++] = $i }
  function word(at, bytes,   v, k) { v = 0; for (k = bytes - 1; k >= 0; k--) v = v * 256 + b[at + k]; return v }
  function name(at) { return sprintf("%c%c%c%c", b[at], b[at + 1], b[at + 2], b[at + 3]) }
  END {
    if (n < 30 || name(0) != "RIFF" || name(8) != "WEBP") { print "none -1 0 0"; exit }
    loops = -1
    for (at = 12; at + 8 <= n; at += 8 + size + size % 2) {
      size = word(at + 4, 4)
      if (name(at) == "ANIM") loops = word(at + 12, 2)
      if (name(at) == "ANMF") { frames++; ms += word(at + 20, 3) }
    }
    printf "%dx%d %d %d %d\n", word(24, 3) + 1, word(27, 3) + 1, loops, frames, ms
  }')
Check "animated WebP from 5 s to 8 s: 160x90, looping, 30 frames over 3000 ms (exit $status; $canvas, loop count $loops, $frames frames, $milliseconds ms)" \
  eval '((status == 0)) && [[ $canvas == 160x90 ]] && ((loops == 0 && frames == 30)) && Within "$milliseconds" 2998 3002'

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
--from 8 --until 8|--from 8 is not before --until 8
--size 16384x16384|larger than H.264 takes at 60 fps: at most 139264 macroblocks
--size 16384x16384|at most 16384x2176 at this width or 2176x16384 at this height
--size 8192x4352 --fps 121|at most 138113 macroblocks of 16x16 pixels a frame (level 6.2), so at most 8192x4304 at this width or 8112x4352
EOF
# Where a frame's macroblocks are 139264 = 1024 x 136 = 136 x 1024; at 121 fps, 16711680 a second
# leave 138113 a frame, 269 rows of 512 or 507 columns of 272.
for arguments in "--escape-at|" "--until|" "--out|$work/bad/x.gif"; do
  status=0
  "$capture" --size 320x180 "${arguments%%|*}" "${arguments#*|}" >"$work/bad.out" 2>&1 || status=$?
  Check "${arguments%%|*} '${arguments#*|}': exit 2 and says why ($(head -n 1 "$work/bad.out"))" \
    eval '((status == 2)) && grep -q -- "^capture: ${arguments%%|*} wants" "$work/bad.out" && [[ -z $(ls -A "$work/bad") ]]'
done
status=0
"$capture" --size 320x180 --out /proc/htn-capture/x.mp4 >"$work/bad.out" 2>&1 || status=$?
Check "an output folder that cannot be written: exit 2 and says so" \
  eval '((status == 2)) && grep -q "cannot write into the folder /proc/htn-capture" "$work/bad.out"'

Finish
