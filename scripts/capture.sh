#!/bin/bash
# Captures the show to a video file with its sound. Every frame, at loop time k / fps, is drawn by
# the intro's own renderer under Wine 10 (build/windows/tools/capture/htn_capture.exe) and streamed
# raw to the distribution's ffmpeg; the sound is the embedded track through the intro's decoder,
# with the fade after Escape. Output: H.264 (yuv420p, BT.709) and AAC stereo 44.1 kHz in MP4.
#
#   scripts/capture.sh [--size WxH] [--fps N] [--escape-at SECONDS] [--until SECONDS] [--out FILE]
#     --size WxH           frame size, each side even, 16 to 16384 (default 1920x1080)
#     --fps N              frames per second, 1 to 240 (default 60)
#     --escape-at SECONDS  loop time of Escape, 0 to 600 (default: 2 s after the scroller's text has
#                          run out); the capture then runs until the end card closes the intro
#     --until SECONDS      stop before this loop time instead (previews and tests)
#     --out FILE           the video (default out/htn_intro.mp4)
#   HTN_CAPTURE_CRF, HTN_CAPTURE_PRESET   x264 quality and speed (default 18, medium)
# The file appears only when the capture is complete: a failure or Ctrl-C leaves none behind.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

Usage() {
  sed -n 's/^#   \{0,1\}//p' "${BASH_SOURCE[0]}" | sed -n '/^scripts\/capture.sh/,/^HTN_CAPTURE/p' >&2
  exit 2
}

# Bad arguments end with status 2 and the reason, before anything is started.
Refuse() {
  echo "capture: $*" >&2
  exit 2
}

size=1920x1080
fps=60
escapeAt=
until=
out=$HTN_REPO/out/htn_intro.mp4
while (($# > 0)); do
  case $1 in
    --size | --fps | --escape-at | --until | --out)
      (($# >= 2)) || Refuse "$1 needs a value"
      case $1 in
        --size) size=$2 ;;
        --fps) fps=$2 ;;
        --escape-at) escapeAt=$2 ;;
        --until) until=$2 ;;
        --out) out=$2 ;;
      esac
      shift 2
      ;;
    -h | --help) Usage ;;
    *) Refuse "unknown argument '$1' (see --help)" ;;
  esac
done

# The limits are those of htn_capture, which checks them again.
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
if [[ -n $escapeAt ]]; then
  [[ $escapeAt =~ ^[0-9]{1,3}(\.[0-9]+)?$ ]] && awk -v s="$escapeAt" 'BEGIN { exit !(s <= 600) }' ||
    Refuse "--escape-at wants seconds from 0 to 600, not '$escapeAt'"
fi
if [[ -n $until ]]; then
  [[ $until =~ ^[0-9]{1,4}(\.[0-9]+)?$ ]] && awk -v s="$until" 'BEGIN { exit !(s > 0) }' ||
    Refuse "--until wants seconds above 0, not '$until'"
fi
[[ -n $out && ! -d $out ]] || Refuse "--out wants a file name, not '$out'"
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

crf=${HTN_CAPTURE_CRF:-18}
preset=${HTN_CAPTURE_PRESET:-medium}
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
    -i "$work/audio.wav" -map 0:v:0 -map 1:a:0 \
    -vf "scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd+full_chroma_int,format=yuv420p" \
    -c:v libx264 -preset "$preset" -crf "$crf" -profile:v high \
    -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv \
    -c:a aac -b:a 192k -ar 44100 -ac 2 \
    -movflags +faststart -f mp4 "$work/capture.mp4"
}

captureArgs=(--size "${width}x${height}" --fps "$fps" --audio audio.wav)
[[ -z $escapeAt ]] || captureArgs+=(--escape-at "$escapeAt")
[[ -z $until ]] || captureArgs+=(--until "$until")
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
if ((wineStatus != 0 || encodeStatus != 0)); then
  [[ ! -s $work/wine.log ]] || tail -n 15 "$work/wine.log" | sed 's/^/capture: wine: /' >&2
  [[ ! -s $work/encode.log ]] || tail -n 15 "$work/encode.log" | sed 's/^/capture: ffmpeg: /' >&2
  HtnDie "the capture failed (htn_capture exit $wineStatus, ffmpeg exit $encodeStatus); no file written"
fi
planned=$(sed -n 's/^htn_capture: plan .*, \([0-9]*\) frames$/\1/p' "$work/wine.log")
encoded=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
  -of default=noprint_wrappers=1:nokey=1 "$work/capture.mp4")
[[ -n $planned && $encoded == "$planned" ]] ||
  HtnDie "the video holds ${encoded:-no} frames instead of the ${planned:-?} planned; no file written"
mv -f "$work/capture.mp4" "$out"

seconds=$((SECONDS - captureStarted))
echo "capture: $out: $planned frames ($(awk -v n="$planned" -v f="$fps" 'BEGIN { printf "%.2f", n / f }') s)," \
  "$(du -m "$out" | cut -f1) MB, captured in ${seconds} s" \
  "($(awk -v n="$planned" -v s="$seconds" 'BEGIN { printf "%.2f", n / (s > 0 ? s : 1) }') frames/s;" \
  "$((SECONDS - started)) s with set-up and build)"
