#!/bin/bash
# The one test command: set-up, both builds, then three layers of tests — native (ctest and the
# fuzz run), windows (the GoogleTest executable under Wine 10), e2e (tests/e2e/test_*.sh, each under
# Wine 10 with its own display and prefix). Ends with one summary line; exits non-zero when a test
# failed or a layer could not run. Logs and screenshots go to out/test-results/.
#   HTN_FUZZ_SECONDS   how long the fuzz target runs (default 60)
#   HTN_BUILD_JOBS     jobs for the builds and for ctest (default 2)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

results=$HTN_REPO/out/test-results
rm -rf --one-file-system "$results"
mkdir -p "$results"

declare -A passed=() failed=() skipped=() seconds=() problem=()
layers=(native windows e2e)
for layer in "${layers[@]}"; do
  passed[$layer]=0 failed[$layer]=0 skipped[$layer]=0 seconds[$layer]=0 problem[$layer]=
done

Summary() {
  local line=summary layer
  for layer in "${layers[@]}"; do
    line+=" | $layer: ${passed[$layer]} passed, ${failed[$layer]} failed"
    ((skipped[$layer] == 0)) || line+=", ${skipped[$layer]} skipped"
    [[ -z ${problem[$layer]} ]] || line+=", could not run: ${problem[$layer]}"
    line+=" (${seconds[$layer]} s)"
  done
  echo "$line"
}

Verdict() {
  local layer
  Summary
  for layer in "${layers[@]}"; do
    [[ -z ${problem[$layer]} && ${failed[$layer]} == 0 ]] || exit 1
  done
  exit 0
}

# CountXmlResults FILE: "passed failed skipped" from a JUnit (ctest) or GoogleTest XML report.
CountXmlResults() {
  awk '
    /<testcase / { cases++; current = cases }
    /<testcase .*(status="notrun"|result="skipped"|status="disabled")|<skipped/ { skip[current] = 1 }
    /<failure|<error / { bad[current] = 1 }
    END {
      for (c in skip) if (!(c in bad)) skipped++
      fails = length(bad)
      printf "%d %d %d\n", cases - fails - skipped, fails, skipped
    }
  ' "$1"
}

# Step NAME LOG COMMAND...: runs a preparation step into a log; shows the log's end if it fails.
Step() {
  local name=$1 log=$2 started=$SECONDS
  shift 2
  echo "== $name"
  if "$@" >"$log" 2>&1; then
    echo "   done in $((SECONDS - started)) s"
    return 0
  fi
  tail -n 40 "$log"
  echo "   FAILED after $((SECONDS - started)) s (log: ${log#"$HTN_REPO"/})"
  return 1
}

if ! Step "set-up" "$results/setup.log" "$HTN_REPO/scripts/setup.sh"; then
  for layer in "${layers[@]}"; do problem[$layer]="set-up failed"; done
  Verdict
fi
# The intro is built first on its own, so the end-to-end tests still run when only the unit
# tests' build breaks.
nativeBuilt=1 introBuilt=1 windowsBuilt=1
Step "native build" "$results/build-native.log" "$HTN_REPO/scripts/build.sh" native || nativeBuilt=0
Step "intro build" "$results/build-intro.log" "$HTN_REPO/scripts/build.sh" intro || introBuilt=0
Step "windows build" "$results/build-windows.log" "$HTN_REPO/scripts/build.sh" windows || windowsBuilt=0

# --- native ---
echo "== native tests"
started=$SECONDS
if ((nativeBuilt)); then
  ctest --test-dir "$HTN_REPO/build/native" --output-junit "$results/native.xml" \
    -j "$HTN_BUILD_JOBS" >"$results/native.log" 2>&1
  if [[ -s $results/native.xml ]]; then
    read -r 'passed[native]' 'failed[native]' 'skipped[native]' < <(CountXmlResults "$results/native.xml")
    grep -E 'tests passed|\*\*\*Failed|Not Run' "$results/native.log" | sed 's/^/   /'
    ((passed[native] + failed[native] > 0)) || problem[native]="ctest found no tests"
  else
    tail -n 20 "$results/native.log"
    problem[native]="ctest wrote no report"
  fi
  if [[ -f $HTN_REPO/tests/fuzz/run.sh ]]; then
    fuzzSeconds=${HTN_FUZZ_SECONDS:-60}
    # The fuzz script builds its own target first; the limit covers that too.
    if Step "fuzz (${fuzzSeconds} s)" "$results/fuzz.log" \
      timeout -k 5 $((fuzzSeconds + 600)) bash "$HTN_REPO/tests/fuzz/run.sh" "$fuzzSeconds"; then
      passed[native]=$((passed[native] + 1))
    else
      failed[native]=$((failed[native] + 1))
    fi
  fi
else
  problem[native]="native build failed"
fi
seconds[native]=$((SECONDS - started))

# --- windows ---
# WindowsPass NAME [wine-run options] -- [gtest options]: one run of the Windows test executable,
# its counts added to the layer. The program starts in the output folder, where its report lands.
WindowsPass() {
  local name=$1 options=() status=0 report counts
  shift
  while [[ $1 != -- ]]; do options+=("$1"); shift; done
  shift
  "$HTN_REPO/scripts/wine-run.sh" --out "$results/windows" --timeout 900 "${options[@]}" \
    build/windows/tests/htn_windows_tests.exe --gtest_output="xml:$name.xml" "$@" \
    >"$results/windows/$name.log" 2>&1 || status=$?
  report=$results/windows/$name.xml
  grep -E '^\[  (PASSED|FAILED|SKIPPED) ' "$results/windows/$name.log" | sed "s/^/   $name: /"
  if [[ ! -s $report ]]; then
    tail -n 20 "$results/windows/$name.log"
    problem[windows]+="${problem[windows]:+; }$name: exit $status without a report"
    return
  fi
  read -r -a counts < <(CountXmlResults "$report")
  passed[windows]=$((passed[windows] + counts[0]))
  failed[windows]=$((failed[windows] + counts[1]))
  skipped[windows]=$((skipped[windows] + counts[2]))
  if ((status != 0 && counts[1] == 0)); then
    # A clean report but a failing exit: the process broke after its tests.
    failed[windows]=$((failed[windows] + 1))
    echo "   $name: htn_windows_tests.exe exited with $status after a clean report"
  fi
}

echo "== windows tests"
started=$SECONDS
if ((windowsBuilt)); then
  mkdir -p "$results/windows"
  # Suites named *WithoutXAudio2 check the silent path: they run apart, with the library taken away.
  WindowsPass windows-tests -- --gtest_filter='-*WithoutXAudio2*'
  HTN_AUDIO_NO_XAUDIO2=1 WindowsPass windows-no-xaudio2 --dll-overrides xaudio2_9= -- \
    --gtest_filter='*WithoutXAudio2*'
  ((passed[windows] + failed[windows] > 0)) || problem[windows]+="${problem[windows]:+; }no tests ran"
else
  problem[windows]="windows test build failed"
fi
seconds[windows]=$((SECONDS - started))

# --- e2e ---
echo "== e2e tests"
started=$SECONDS
if ((introBuilt)); then
  shopt -s nullglob
  e2eTests=("$HTN_REPO"/tests/e2e/test_*.sh)
  mkdir -p "$results/e2e"
  ((${#e2eTests[@]} > 0)) || problem[e2e]="no tests/e2e/test_*.sh"
  for test in "${e2eTests[@]}"; do
    name=$(basename "$test" .sh)
    echo " $name"
    status=0
    # A test that needs a screen size of its own names it in a "# screen: WxHxD" line.
    screen=$(sed -n 's/^# screen: *//p' "$test" | head -n 1)
    HTN_SCREEN=${screen:-1280x720x24} \
      "$HTN_REPO/scripts/wine-run.sh" --out "$results/e2e/$name" --timeout 300 "tests/e2e/$name.sh" \
      >"$results/e2e/$name.log" 2>&1 || status=$?
    # The tests indent what they report; Wine's own chatter is left in the log.
    grep -E '^ |^wine-run' "$results/e2e/$name.log"
    if ((status == 0)); then
      passed[e2e]=$((passed[e2e] + 1))
    else
      failed[e2e]=$((failed[e2e] + 1))
      echo "   $name FAILED (exit $status; log: out/test-results/e2e/$name.log)"
    fi
  done
  # The capture test runs on the host, where ffmpeg is, and starts its own Wine runs.
  echo " capture"
  status=0
  timeout -k 5 900 "$HTN_REPO/tests/capture/capture_test.sh" "$results/e2e/capture" \
    >"$results/e2e/capture.log" 2>&1 || status=$?
  grep -E '^ ' "$results/e2e/capture.log"
  if ((status == 0)); then
    passed[e2e]=$((passed[e2e] + 1))
  else
    failed[e2e]=$((failed[e2e] + 1))
    echo "   capture FAILED (exit $status; log: out/test-results/e2e/capture.log)"
  fi
else
  problem[e2e]="intro build failed"
fi
seconds[e2e]=$((SECONDS - started))

Verdict
