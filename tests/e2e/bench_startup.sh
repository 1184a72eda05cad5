#!/bin/bash
# Start-up time, not a test: seconds from launching the intro (with its music) until its first
# frame is on the screen, and until the first frame stamp in its window said it was presented.
# The two differ where Present returns before the picture is drawn (wined3d hands the frame to its
# own thread), so the first is taken from the screen: the frame carries the white signature in the
# screen's bottom-left corner, which is black before it. Run it with scripts/benchmark-startup.sh,
# which starts one Wine session per cold run.
#   bench_startup.sh cold LABEL=EXE          one launch, with the shader caches emptied first: in
#                                            a session of its own, a first run on a new prefix
#   bench_startup.sh warm ROUNDS LABEL=EXE...  one launch of each to fill the caches, then ROUNDS
#                                            rounds of one launch each, in turns
# EXE is a path inside the session (/repo/... or /out/...). Prints
# "first-frame MODE LABEL SHOWN_SECONDS STAMPED_SECONDS GAP_MS GAP_END_MS" for every timed launch:
# after the first frame, the longest step in loop time between two stamps read in turn up to 4 s
# of loop time (a frame held on the screen while the clock ran on), and the loop time it ended at.
source "$(dirname "$0")/lib.sh"

# A probe already running inside Wine answers at once, so its own start does not count.
mkfifo /tmp/probe.in /tmp/probe.out
wine "$PROBE_EXE" serve </tmp/probe.in >/tmp/probe.out 2>/dev/null &
exec {probeIn}>/tmp/probe.in {probeOut}</tmp/probe.out
# Read with a time limit from a pipe that never has data: a pause without starting a process.
mkfifo /tmp/idle
exec {idle}<>/tmp/idle

# ReadStamp: sets stamp to the loop time (ms) of the frame last presented, 0 before the first,
# empty without the window; false when the probe does not answer. No subshell: it runs every poll.
ReadStamp() {
  local line
  stamp=
  echo >&"$probeIn" && IFS= read -r -t 60 line <&"$probeOut" || return 1
  line=${line%$'\r'}
  [[ $line != frame_ms=* ]] || stamp=${line#frame_ms=}
}

# WatchSignature HEIGHT SECONDS: prints "ready", then, every 5 ms, reads the rows where the
# signature's letters stand (24 to 8 pixels above the bottom, 6 to 60 from the left) off the root
# window, and prints the wall-clock time at which some of them are white; "none" after SECONDS.
WatchSignature() {
  PYTHONPATH=$(dirname "$0") python3 - "$@" <<'PY'
import sys, time
from x11_root import Root

root = Root()
height, limit = int(sys.argv[1]), float(sys.argv[2])
left, top, width, rows = 6, height - 24, 54, 16

def white_pixels():
    grabbed = root.grab(left, top, width, rows)
    if not grabbed:
        return 0
    data, line, step = grabbed
    return sum(1 for y in range(rows) for x in range(width)
               if min(data[y * line + x * step:y * line + x * step + 3]) >= 200)

print("ready", flush=True)
deadline = time.time() + limit
while time.time() < deadline:
    if white_pixels() >= 10:
        print("%.3f" % time.time(), flush=True)
        sys.exit(0)
    time.sleep(0.005)
print("none", flush=True)
PY
}

read -r _ screenHeight <<<"$(ScreenSize)"

# TimeLaunch MODE LABEL EXE: one launch; prints its line, or fails the check.
TimeLaunch() {
  local mode=$1 label=$2 stamp='' launched stamped='' shown='' watcher
  INTRO_EXE=$3
  : >/tmp/shown.txt
  WatchSignature "$screenHeight" 120 >/tmp/shown.txt &
  watcher=$!
  WaitFor 30 grep -q ready /tmp/shown.txt
  launched=$EPOCHREALTIME
  StartIntro
  # A poll every 10 ms: fine enough for figures in hundredths, light beside the start-up itself.
  while IntroRunning; do
    ReadStamp || break
    if [[ -n $stamp && $stamp != 0 ]]; then
      stamped=$EPOCHREALTIME
      break
    fi
    read -r -t 0.01 -u "$idle" || true
  done
  local previous=$stamp gap=0 gapEnd=0
  while [[ -n $stamped ]] && IntroRunning && ((previous < 4000)); do
    ReadStamp || break
    [[ -n $stamp ]] || break
    if ((stamp - previous > gap)); then
      gap=$((stamp - previous))
      gapEnd=$stamp
    fi
    previous=$stamp
    read -r -t 0.01 -u "$idle" || true
  done
  wait "$watcher"
  shown=$(tail -n 1 /tmp/shown.txt)
  if [[ -n $stamped && $shown =~ ^[0-9.]+$ ]]; then
    awk -v mode="$mode" -v label="$label" -v a="$launched" -v s="$shown" -v p="$stamped" -v g="$gap" -v e="$gapEnd" \
      'BEGIN { printf "first-frame %s %s %.2f %.2f %d %d\n", mode, label, s - a, p - a, g, e }'
    Pass "$mode $label"
  else
    Fail "$mode $label" "no frame was ${stamped:+seen }presented"
  fi
  PostClose
  WaitForExit 30 || { kill -9 "$INTRO_PID" 2>/dev/null; WaitForExit 10; }
}

Require "the probe answers" ReadStamp
mode=$1
shift
case $mode in
  cold)
    # Mesa keeps compiled shaders under the home folder's cache, DXVK its pipelines in its own folder.
    rm -rf --one-file-system "$HOME"/.cache/mesa_shader_cache* "${DXVK_STATE_CACHE_PATH:-/nonexistent}"/*
    TimeLaunch cold "${1%%=*}" "${1#*=}"
    ;;
  warm)
    rounds=$1
    shift
    for build in "$@"; do
      TimeLaunch fill "${build%%=*}" "${build#*=}" >/dev/null
    done
    for ((round = 0; round < rounds; round++)); do
      # Each build goes first in every other round.
      builds=("$@")
      ((round % 2 == 0)) || mapfile -t builds < <(printf '%s\n' "$@" | tac)
      for build in "${builds[@]}"; do
        TimeLaunch warm "${build%%=*}" "${build#*=}"
      done
    done
    ;;
  *)
    Fail "mode" "cold or warm, not '$mode'"
    ;;
esac
Finish
