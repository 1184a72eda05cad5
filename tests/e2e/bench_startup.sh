#!/bin/bash
# Start-up time, not a test: launches the intro five times (with its music) and prints the seconds
# from launch until its window stands in borderless full screen, and their median. A probe already
# running inside Wine watches for that moment, so its own start does not count.
# Run it with scripts/benchmark-startup.sh.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

times=()
for run in 1 2 3 4 5; do
  wine "$PROBE_EXE" wait-fullscreen 60 >/out/probe.txt 2>/dev/null &
  probePid=$!
  WaitFor 20 grep -q ready=1 /out/probe.txt
  launchedAt=$(Now)
  StartIntro
  wait "$probePid"
  doneAt=$(Now)
  if grep -q found=1 /out/probe.txt; then
    times+=("$(awk -v a="$doneAt" -v b="$launchedAt" 'BEGIN { printf "%.2f", a - b }')")
    Pass "run $run: ${times[-1]} s"
  else
    Fail "run $run" "no full screen within 60 s"
  fi
  PostClose
  WaitForExit 20 || kill -9 "$INTRO_PID" 2>/dev/null
done
((${#times[@]} > 0)) &&
  printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "  median of %d: %s s\n", NR, v[int((NR + 1) / 2)] }'
Finish
