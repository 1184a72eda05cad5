#!/bin/bash
# Inside the Wine root (through wine-run.sh, for play.sh): runs the intro on the virtual display,
# takes screenshots at fixed moments of the show, presses Escape, and waits for the intro to close.
source /repo/tests/e2e/lib.sh
# Not a test: no verdict is due, the intro's own exit status is the result.
trap - EXIT

# Seconds since START with millisecond precision.
Elapsed() {
  awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.3f\n", now - start }'
}

shots=0

# ShotAt START SECONDS NAME: waits until SECONDS after START, then saves /out/NN-NAME.png, numbered
# in the order taken.
ShotAt() {
  local wait
  wait=$(awk -v start="$1" -v at="$2" -v now="$(date +%s.%N)" 'BEGIN { w = start + at - now; print (w > 0 ? w : 0) }')
  sleep "$wait"
  shots=$((shots + 1))
  Screenshot "$(printf '%02d' "$shots")-$3" >/dev/null && echo "  $3 at $(Elapsed "$1") s"
}

# FirstFrameShown: the intro keeps the loop time of its last presented frame in its window; 0 means
# none yet.
FirstFrameShown() {
  ReadProbe frame && ((${probe[frame_ms]:-0} > 0))
}

StartIntro
WaitForIntroWindow 60 || { echo "play: the intro window did not appear" >&2; exit 1; }
# The show's clock starts at the first frame; a "Lyd" box (no sound) holds it until dismissed.
until FirstFrameShown; do
  if ProbeBox Lyd; then
    echo "  the intro could not start its music; dismissing the \"Lyd\" box"
    DismissSoundWarning 5
  fi
  IntroRunning || { echo "play: the intro ended before its first frame" >&2; exit 1; }
done
start=$(date +%s.%N)
for at in 1 3 4.5 6 9 12; do
  ShotAt "$start" "$at" "show-${at}s"
done
SendKey Escape
escape=$(date +%s.%N)
echo "  Escape at $(Elapsed "$start") s"
for at in 2 5; do
  ShotAt "$escape" "$at" "end-card-${at}s"
done
if ! WaitForExit 30; then
  echo "play: the intro did not close within 30 s of Escape" >&2
  exit 1
fi
echo "  closed $(Elapsed "$escape") s after Escape with exit code $INTRO_STATUS"
IntroCrashed && { echo "play: the intro crashed" >&2; exit 1; }
exit "$INTRO_STATUS"
