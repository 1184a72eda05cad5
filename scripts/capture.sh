#!/bin/bash
# Captures the show to a video file with its sound. Every frame, at loop time k / fps, is drawn by
# the intro's own renderer under Wine 10 (build/windows/tools/capture/htn_capture.exe) and streamed
# raw to the distribution's ffmpeg; the sound is the embedded track through the intro's decoder,
# with the fade after Escape. A .mp4 gets H.264 (yuv420p, BT.709) and AAC stereo 44.1 kHz; a .webp
# is a looping animated WebP without sound, for previews.
#
#   scripts/capture.sh [--size WxH] [--fps N] [--escape-at SECONDS] [--until SECONDS]
#                      [--from SECONDS] [--yuv444] [--out FILE.mp4|FILE.webp]
#     --size WxH           frame size, each side even, 16 to 16384 (default 1920x1080), within
#                          what the encoder takes (H.264 level 6.2: 139264 macroblocks a frame)
#     --fps N              frames per second, 1 to 240 (default 60)
#     --escape-at SECONDS  loop time of Escape, 0 to 600 (default: 2 s after the scroller's text has
#                          run out); the capture then runs until the end card closes the intro
#     --until SECONDS      stop before this loop time instead (previews and tests)
#     --from SECONDS       start the video at this loop time (the frames before it are still drawn,
#                          as the scroller moves frame by frame, but not kept)
#     --yuv444             full-resolution colour (H.264 High 4:4:4), which many players refuse
#     --out FILE           the video, .mp4 or .webp (default out/htn_intro.mp4)
#   HTN_CAPTURE_CRF, HTN_CAPTURE_PRESET, HTN_CAPTURE_X264_PARAMS   x264's quality, speed and
#     further settings (default 9, medium, and the settings that keep the scan lines; an empty
#     HTN_CAPTURE_X264_PARAMS gives x264's own); HTN_CAPTURE_WEBP_QUALITY, libwebp's (default 80)
# The file appears only when the capture is complete: a failure or Ctrl-C leaves none behind.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

Usage() {
  sed -n 's/^#   //p' "${BASH_SOURCE[0]}" >&2
  exit 2
}

# Bad arguments end with status 2 and the reason, before anything is started.
Refuse() {
  echo "capture: $*" >&2
  exit 2
}

# Seconds SECONDS: a decimal number of seconds, from 0 up.
Seconds() { [[ $1 =~ ^[0-9]{1,4}(\.[0-9]+)?$ ]]; }

size=1920x1080
fps=60
escapeAt= escapeGiven=0
until= untilGiven=0
from=0
chroma=420
out=$HTN_REPO/out/htn_intro.mp4
while (($# > 0)); do
  case $1 in
    --size | --fps | --escape-at | --until | --from | --out)
      (($# >= 2)) || Refuse "$1 needs a value"
      case $1 in
        --size) size=$2 ;;
        --fps) fps=$2 ;;
        --escape-at) escapeAt=$2 escapeGiven=1 ;;
        --until) until=$2 untilGiven=1 ;;
        --from) from=$2 ;;
        --out) out=$2 ;;
      esac
      shift 2
      ;;
    --yuv444) chroma=444; shift ;;
    -h | --help) Usage ;;
    *) Refuse "unknown argument '$1' (see --help)" ;;
  esac
done

[[ -n $out && ! -d $out ]] || Refuse "--out wants a file name, not '$out'"
case ${out,,} in
  *.mp4) format=mp4 ;;
  *.webp) format=webp ;;
  *) Refuse "--out wants a .mp4 video or a .webp animation, not '$out'" ;;
esac
[[ $format == mp4 || $chroma == 420 ]] || Refuse "--yuv444 is for .mp4 output (WebP keeps its colour at half size)"

# The limits are those of htn_capture, which checks them again, and then those of the encoder.
if [[ ! $size =~ ^([0-9]{1,5})x([0-9]{1,5})$ ]]; then
  Refuse "--size wants WxH, such as 1920x1080, not '$size'"
fi
width=$((10#${BASH_REMATCH[1]}))
height=$((10#${BASH_REMATCH[2]}))
for side in "$width" "$height"; do
  ((side >= 16 && side <= 16384 && side % 2 == 0)) ||
    Refuse "--size $size: each side must be even and from 16 to 16384 (the renderer's largest texture)"
done
[[ $fps =~ ^[0-9]{1,3}$ ]] && ((10#$fps >= 1 && 10#$fps <= 240)) ||
  Refuse "--fps wants a whole number from 1 to 240, not '$fps'"
fps=$((10#$fps))
if ((escapeGiven)); then
  Seconds "$escapeAt" && awk -v s="$escapeAt" 'BEGIN { exit !(s <= 600) }' ||
    Refuse "--escape-at wants seconds from 0 to 600, not '$escapeAt'"
fi
if ((untilGiven)); then
  Seconds "$until" && awk -v s="$until" 'BEGIN { exit !(s > 0) }' ||
    Refuse "--until wants seconds above 0, not '$until'"
fi
Seconds "$from" || Refuse "--from wants seconds from 0 up, not '$from'"
# The intro closes 10 s after Escape.
if ((untilGiven)) && ! awk -v f="$from" -v u="$until" 'BEGIN { exit !(f < u) }'; then
  Refuse "--from $from is not before --until $until"
fi
if ((escapeGiven)) && ! awk -v f="$from" -v e="$escapeAt" 'BEGIN { exit !(f < e + 10) }'; then
  Refuse "--from $from is not before the intro closes, 10 s after Escape at $escapeAt"
fi
# The first frame kept: frame k shows loop time k / fps, and those before --from are dropped.
firstFrame=$(awk -v f="$from" -v r="$fps" 'BEGIN { k = f * r; n = int(k); if (n < k - 1e-6) n++; print n }')

# x264 encodes larger frames only with a warning, into a stream that no level of H.264 allows
# and that players may refuse; H.264's largest level, 6.2, allows 139264 macroblocks (16x16
# pixels) a frame and 16711680 a second. (ffmpeg itself refuses 16384x16384 at its input.)
if [[ $format == mp4 ]]; then
  mbWide=$(((width + 15) / 16)) mbHigh=$(((height + 15) / 16))
  mbLimit=$((16711680 / fps))
  ((mbLimit <= 139264)) || mbLimit=139264
  if ((mbWide * mbHigh > mbLimit)); then
    tallest=$((mbLimit / mbWide * 16)) widest=$((mbLimit / mbHigh * 16))
    ((tallest <= 16384)) || tallest=16384
    ((widest <= 16384)) || widest=16384
    Refuse "--size $size is larger than H.264 takes at $fps fps: at most $mbLimit macroblocks of" \
      "16x16 pixels a frame (level 6.2), so at most ${width}x$tallest at this width or" \
      "${widest}x$height at this height"
  fi
elif ((width > 16383 || height > 16383)); then
  Refuse "--size $size is larger than WebP takes: at most 16383 pixels a side"
fi

outFolder=$(dirname "$out")
mkdir -p "$outFolder" 2>/dev/null && [[ -w $outFolder ]] || Refuse "cannot write into the folder $outFolder"
# Everything temporary lives next to the output, so that the finished file is renamed into place.
work=$(mktemp -d "$outFolder/.htn_capture.XXXXXX" 2>/dev/null) || Refuse "cannot write into the folder $outFolder"
out=$(realpath "$out")

winePid=
encodePid=
interrupted=0
Cleanup() {
  rm -rf --one-file-system "$work"
}
trap Cleanup EXIT

# Ctrl-C or a TERM: stop the encoder and the Wine run (through the time limit's process, whose
# KILL ends the whole namespace), then leave without a file.
Interrupt() {
  interrupted=1
  # Still preparing: nothing to stop.
  [[ -n $winePid ]] || exit 130
  kill -TERM "$encodePid" 2>/dev/null || true
  local status
  for status in /proc/[0-9]*/status; do
    if [[ $(awk '/^PPid:/ { print $2 }' "$status" 2>/dev/null) == "$winePid" ]]; then
      kill -TERM "$(basename "$(dirname "$status")")" 2>/dev/null || true
    fi
  done
}
trap Interrupt INT TERM

HtnNeedRoot
started=$SECONDS
echo "capture: preparing (set-up and build)"
if ! { "$HTN_REPO/scripts/setup.sh" &&
  HtnConfigure windows && HtnBuild windows --target htn_capture; } >"$work/prepare.log" 2>&1; then
  tail -n 30 "$work/prepare.log" >&2
  HtnDie "set-up or build failed"
fi

# Progress from htn_capture's "frame K of N" lines: one updated line on a terminal, otherwise a
# plain line every ten seconds. Its other lines go to the log; its own messages are also shown.
interactive=0
[[ -t 2 ]] && interactive=1
ShowProgress() {
  local line done total now first=0 firstDone=0 lastShown=0 rate eta text
  while IFS= read -r line; do
    # Wine's C runtime ends text lines with CR LF.
    line=${line%$'\r'}
    if [[ $line =~ ^htn_capture:\ frame\ ([0-9]+)\ of\ ([0-9]+) ]]; then
      done=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
      now=${EPOCHREALTIME/./}
      if ((first == 0)); then
        first=$now firstDone=$done lastShown=$now
        continue
      fi
      ((done == total || now - lastShown >= (interactive ? 250000 : 10000000))) || continue
      lastShown=$now
      # Frames per second in hundredths, from the first frame on.
      rate=$(((done - firstDone) * 100000000 / (now - first + 1)))
      eta=$(((total - done) * 100 / (rate > 0 ? rate : 1)))
      printf -v text 'capture: frame %d of %d, %d.%02d frames/s, %d:%02d left' \
        "$done" "$total" $((rate / 100)) $((rate % 100)) $((eta / 60)) $((eta % 60))
      if ((interactive)); then printf '\r%s\033[K' "$text" >&2; else echo "$text" >&2; fi
    else
      echo "$line" >>"$work/wine.log"
      if [[ $line == htn_capture:* ]]; then
        ((interactive == 0 || first == 0)) || echo >&2
        echo "capture: ${line#htn_capture: }" >&2
      fi
    fi
  done
  ((interactive == 0 || first == 0)) || echo >&2
}

# x264 settings, chosen from measurements on 20 s of the show at 1920x1080 (see "Capture it to a
# video" in the README). The scan lines darken every other pair of rows by 3 %, a level or less of
# 8-bit luma, and x264's usual savings smooth so faint a pattern away: so plain rounding (no
# trellis, no dead zones, no dropping of blocks with few coefficients), no deblocking filter and
# no psychovisual tuning, 4x4 transforms only, and a coarser quantizer for the colour planes
# (+3), which carry no scan lines.
crf=${HTN_CAPTURE_CRF:-9}
preset=${HTN_CAPTURE_PRESET:-medium}
x264Params=${HTN_CAPTURE_X264_PARAMS-trellis=0:deadzone-inter=0:deadzone-intra=0:no-dct-decimate=1:no-deblock=1:no-psy=1:no-8x8dct=1:chroma-qp-offset=3}
webpQuality=${HTN_CAPTURE_WEBP_QUALITY:-80}
# The frames before --from are drawn but dropped here, and the sound from the same moment.
keep=
startSample=0
if ((firstFrame > 0)); then
  keep="trim=start_frame=$firstFrame,setpts=PTS-STARTPTS,"
  startSample=$(((firstFrame * 44100 + fps / 2) / fps))
fi
case $format in
  mp4)
    profile=high pixelFormat=yuv420p
    [[ $chroma == 420 ]] || profile=high444 pixelFormat=yuv444p
    encodeArgs=(-i "$work/audio.wav" -map 0:v:0 -map 1:a:0
      -vf "${keep}scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd+full_chroma_int,format=$pixelFormat"
      -c:v libx264 -preset "$preset" -crf "$crf" -profile:v "$profile")
    [[ -z $x264Params ]] || encodeArgs+=(-x264-params "$x264Params")
    encodeArgs+=(-colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv
      -af "atrim=start_sample=$startSample,asetpts=PTS-STARTPTS" -c:a aac -b:a 192k -ar 44100 -ac 2
      -movflags +faststart -f mp4)
    ;;
  webp)
    # Each frame a whole picture, in libwebp's own 4:2:0 colour; loop 0 repeats for ever. (The
    # libwebp_anim encoder keeps only what changed by more than its lossy tolerance since the last
    # frame, so a slow fade, such as the end card's from black, never shows.)
    encodeArgs=(-map 0:v:0 -vf "${keep}format=bgra" -c:v libwebp -lossless 0 -quality "$webpQuality"
      -compression_level 6 -loop 0 -f webp)
    ;;
esac
video=$work/capture.$format
# Reads the frames on standard input once the sound file is there: htn_capture writes it whole
# before its first frame, so input that can be read (or its end) while it is missing means failure.
Encode() {
  until [[ -f $work/audio.wav ]]; do
    if read -r -t 0; then
      [[ -f $work/audio.wav ]] && break
      return 1
    fi
    sleep 0.2
  done
  exec ffmpeg -hide_banner -loglevel error -y \
    -f rawvideo -pixel_format rgba -video_size "${width}x${height}" -framerate "$fps" -i pipe:0 \
    "${encodeArgs[@]}" "$video"
}

captureArgs=(--size "${width}x${height}" --fps "$fps" --audio audio.wav)
((escapeGiven == 0)) || captureArgs+=(--escape-at "$escapeAt")
((untilGiven == 0)) || captureArgs+=(--until "$until")
mkfifo "$work/frames" "$work/progress"
echo "capture: ${width}x${height} at $fps fps into $out"
captureStarted=$SECONDS
HTN_SCREEN=1920x1080x24 "$HTN_REPO/scripts/wine-run.sh" --out "$work" --timeout 86400 \
  build/windows/tools/capture/htn_capture.exe "${captureArgs[@]}" >"$work/frames" 2>"$work/progress" &
winePid=$!
Encode <"$work/frames" >"$work/encode.log" 2>&1 &
encodePid=$!
ShowProgress <"$work/progress" &
progressPid=$!

# WaitFor PID: its exit status. A trapped signal ends a wait early, so it is repeated while the
# process lives.
WaitFor() {
  local status
  while :; do
    status=0
    wait "$1" || status=$?
    ((status > 128)) && kill -0 "$1" 2>/dev/null && continue
    return "$status"
  done
}
encodeStatus=0 wineStatus=0
WaitFor "$encodePid" || encodeStatus=$?
WaitFor "$winePid" || wineStatus=$?
WaitFor "$progressPid" || true

if ((interrupted)); then
  echo "capture: interrupted; no file written" >&2
  exit 130
fi
# A full disk is named as such, whoever met it: htn_capture only says it cannot write the sound,
# ffmpeg exits 0 when what no longer fits is the last of the video and its index, and its report
# may not have found room in its log either. (Both leave their part-written files in place until
# the clean-up, so the disk is still full here.)
DiskFull() {
  grep -qs "No space left on device" "$work/encode.log" ||
    (($(df -P -k "$work" | awk 'NR == 2 { print $4 }') < 1024))
}
Failed() {
  ! DiskFull || HtnDie "disk full while writing $out; no file written"
  HtnDie "$@; no file written"
}
if ((wineStatus != 0 || encodeStatus != 0)); then
  ! DiskFull || Failed
  [[ ! -s $work/wine.log ]] || tail -n 15 "$work/wine.log" | sed 's/^/capture: wine: /' >&2
  [[ ! -s $work/encode.log ]] || tail -n 15 "$work/encode.log" | sed 's/^/capture: ffmpeg: /' >&2
  Failed "the capture failed (htn_capture exit $wineStatus, ffmpeg exit $encodeStatus)"
fi
! grep -qs "No space left on device" "$work/encode.log" || Failed

# WebpFrames FILE: the animation frames of a WebP file and their durations' sum in milliseconds,
# read from its chunks (ffprobe does not read animated WebP); a single frame is a still picture,
# without a time.
WebpFrames() {
  local file=$1 offset=12 frames=0 milliseconds=0 fileSize chunkSize b0 b1 b2
  fileSize=$(stat -c %s "$file")
  while ((offset + 8 <= fileSize)); do
    chunkSize=$(od -An -tu4 -j $((offset + 4)) -N 4 "$file")
    case $(tail -c +$((offset + 1)) "$file" | head -c 4) in
      ANMF)
        read -r b0 b1 b2 < <(od -An -tu1 -j $((offset + 20)) -N 3 "$file")
        frames=$((frames + 1)) milliseconds=$((milliseconds + b0 + 256 * b1 + 65536 * b2))
        ;;
      VP8\ | VP8L) ((frames > 0)) || frames=1 ;;
    esac
    offset=$((offset + 8 + chunkSize + (chunkSize & 1)))
  done
  echo "$frames $milliseconds"
}

planned=$(sed -n 's/^htn_capture: plan .*, \([0-9]*\) frames$/\1/p' "$work/wine.log")
[[ -n $planned ]] || Failed "htn_capture gave no plan"
kept=$((planned - firstFrame))
((kept > 0)) || Failed "--from $from is after the show's last frame (loop time" \
  "$(awk -v n="$planned" -v f="$fps" 'BEGIN { printf "%.3f", (n - 1) / f }') s)"
if [[ $format == mp4 ]]; then
  encoded=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
    -of default=noprint_wrappers=1:nokey=1 "$video" 2>/dev/null || true)
  [[ $encoded == "$kept" ]] ||
    Failed "the video holds ${encoded:-no} frames instead of the $kept planned"
else
  read -r frames milliseconds < <(WebpFrames "$video")
  if ((frames != kept)) || { ((kept > 1)) && ! awk -v m="$milliseconds" -v n="$kept" -v f="$fps" \
    'BEGIN { d = m - n * 1000 / f; exit !(d > -2 && d < 2) }'; }; then
    Failed "the animation holds $frames frames over $milliseconds ms instead of $kept frames" \
      "over $(awk -v n="$kept" -v f="$fps" 'BEGIN { printf "%.0f", n * 1000 / f }') ms"
  fi
fi
mv -f "$video" "$out"

seconds=$((SECONDS - captureStarted))
echo "capture: $out: $kept frames ($(awk -v n="$kept" -v f="$fps" 'BEGIN { printf "%.2f", n / f }') s)," \
  "$(awk -v b="$(stat -c %s "$out")" 'BEGIN { printf "%.1f", b / 1e6 }') MB, captured in ${seconds} s" \
  "($(awk -v n="$planned" -v s="$seconds" 'BEGIN { printf "%.2f", n / (s > 0 ? s : 1) }') frames/s;" \
  "$((SECONDS - started)) s with set-up and build)"
