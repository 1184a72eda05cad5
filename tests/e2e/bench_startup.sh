#!/bin/bash
# Start-up time, not a test: seconds from launching the intro (with its music) until its first
# frame has been presented, which the frame stamp in its window tells. Run it with
# scripts/benchmark-startup.sh, which starts one Wine session per cold run.
#   bench_startup.sh cold LABEL=EXE          one launch, with the shader caches emptied first: in
#                                            a session of its own, a first run on a new prefix
#   bench_startup.sh warm ROUNDS LABEL=EXE...  one launch of each to fill the caches, then ROUNDS
#                                            rounds of one launch each, in turns
# EXE is a path inside the session (/repo/... or /out/...). Prints "first-frame MODE LABEL SECONDS"
# for every timed launch.
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

# Mesa keeps compiled shaders under the home folder's cache, DXVK its pipelines in its own folder.
EmptyShaderCaches() {
  rm -rf --one-file-system "$HOME"/.cache/mesa_shader_cache* "${DXVK_STATE_CACHE_PATH:-/nonexistent}"/*
}

# TimeLaunch MODE LABEL EXE: one launch; prints its line, or fails the check.
TimeLaunch() {
  local mode=$1 label=$2 stamp='' launched presented
  INTRO_EXE=$3
  launched=$EPOCHREALTIME
  StartIntro
  # A poll every 10 ms: fine enough for figures in hundredths, light beside the start-up itself.
  while IntroRunning; do
    ReadStamp || break
    [[ -n $stamp && $stamp != 0 ]] && break
    read -r -t 0.01 -u "$idle" || true
  done
  presented=$EPOCHREALTIME
  if [[ -n $stamp && $stamp != 0 ]]; then
    awk -v mode="$mode" -v label="$label" -v a="$launched" -v b="$presented" \
      'BEGIN { printf "first-frame %s %s %.2f\n", mode, label, b - a }'
    Pass "$mode $label"
  else
    Fail "$mode $label" "no frame was presented"
  fi
  PostClose
  WaitForExit 30 || { kill -9 "$INTRO_PID" 2>/dev/null; WaitForExit 10; }
}

Require "the probe answers" ReadStamp
mode=$1
shift
case $mode in
  cold)
    EmptyShaderCaches
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
