#!/bin/bash
# The one test command: set-up, both builds, then three layers of tests — native (ctest and the
# fuzz run), windows (the GoogleTest executable under Wine 10), e2e (tests/e2e/test_*.sh, each under
# Wine 10 with its own display and prefix, and the capture test). The windows and e2e layers run
# once for each Direct3D 11 implementation: Wine's own wined3d, and DXVK as Proton runs it, both
# on Mesa's software renderer. A run under DXVK counts only when DXVK's log names the device it
# rendered with. Ends with one summary line per layer and implementation; exits non-zero when a
# test failed or a layer could not run. Logs and screenshots go to out/test-results/.
#   HTN_D3D_LIST       the implementations, in order (default "wined3d dxvk"); what uses no
#                      Direct3D runs once, with the first
#   HTN_VK_VALIDATION  1: the DXVK runs load Vulkan's validation layer; its messages are counted
#   HTN_FUZZ_SECONDS   how long the fuzz target runs (default 60)
#   HTN_BUILD_JOBS     jobs for the builds and for ctest (default 2)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

read -r -a d3dList <<<"${HTN_D3D_LIST:-wined3d dxvk}"
((${#d3dList[@]} > 0)) || HtnDie "HTN_D3D_LIST names no implementation"
for d3d in "${d3dList[@]}"; do
  [[ $d3d == wined3d || $d3d == dxvk ]] || HtnDie "HTN_D3D_LIST: '$d3d' is neither wined3d nor dxvk"
done
validation=${HTN_VK_VALIDATION:-0}

results=$HTN_REPO/out/test-results
rm -rf --one-file-system "$results"
mkdir -p "$results"

# A layer is "native", or "windows" or "e2e" with its implementation after a slash.
declare -A passed=() failed=() skipped=() seconds=() problem=()
declare -A vkRuns=() vkLoaded=() vkErrors=() vkWarnings=()
layers=(native)
for d3d in "${d3dList[@]}"; do layers+=("windows/$d3d"); done
for d3d in "${d3dList[@]}"; do layers+=("e2e/$d3d"); done
for layer in "${layers[@]}"; do
  passed[$layer]=0 failed[$layer]=0 skipped[$layer]=0 seconds[$layer]=0 problem[$layer]=
  vkRuns[$layer]=0 vkLoaded[$layer]=0 vkErrors[$layer]=0 vkWarnings[$layer]=0
done

# AddProblem LAYER TEXT: the layer could not run, or not all of it.
AddProblem() {
  problem[$1]+="${problem[$1]:+; }$2"
}

Summary() {
  local layer line name
  for layer in "${layers[@]}"; do
    name=${layer%/*}
    [[ $layer != */* ]] || name+=" (${layer#*/})"
    line="summary | $name: ${passed[$layer]} passed, ${failed[$layer]} failed"
    if ((skipped[$layer] > 0)); then
      line+=", ${skipped[$layer]} skipped"
      # The end-to-end layer counts whole tests, but skips single checks.
      [[ $layer != e2e/* ]] || line+=" check$( ((skipped[$layer] == 1)) || echo s)"
    fi
    [[ -z ${problem[$layer]} ]] || line+=", could not run: ${problem[$layer]}"
    if ((validation == 1)) && [[ $layer == */dxvk ]]; then
      line+=", validation: ${vkErrors[$layer]} errors, ${vkWarnings[$layer]} warnings"
      line+=" (layer loaded in ${vkLoaded[$layer]} of ${vkRuns[$layer]} runs)"
    fi
    echo "$line (${seconds[$layer]} s)"
  done
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

# DxvkDevice FILE: the device that DXVK's log in FILE says it renders with; empty when none.
DxvkDevice() {
  tr -d '\r' <"$1" | sed -n 's/^info: *Device : //p' | head -n 1
}

# ValidationMessages FILE...: "severity id" for each message of the validation layer in the files:
# through DXVK's messenger an "err:   ID: " or "warn:  ID: " line, and at the instance's making the
# layer's own "Validation Error: [ ID ] | ..." on stdout.
ValidationMessages() {
  cat -- "$@" 2>/dev/null | tr -d '\r' | awk '
    /^(err|warn): +[A-Za-z0-9_.-]+: *$/ { id = $2; sub(/:$/, "", id); print ($1 == "err:" ? "error" : "warning"), id; next }
    /^Validation (Error|Warning|Performance Warning): \[ / {
      match($0, /\[ [^ ]+ \]/); print ($2 == "Error:" ? "error" : "warning"), substr($0, RSTART + 2, RLENGTH - 4) }'
}

# ScanValidation LAYER WHAT FILE...: with HTN_VK_VALIDATION=1, a run's output searched for the
# validation layer's messages, counted for the layer and listed in validation.txt; the first file,
# its stderr, must show that the loader put the layer in.
ScanValidation() {
  local layer=$1 what=$2 messages
  shift 2
  ((validation == 1)) || return 0
  vkRuns[$layer]=$((vkRuns[$layer] + 1))
  if grep -q 'Inserted device layer "VK_LAYER_KHRONOS_validation"' "$1"; then
    vkLoaded[$layer]=$((vkLoaded[$layer] + 1))
  else
    AddProblem "$layer" "validation layer not loaded in $what"
  fi
  messages=$(ValidationMessages "$@")
  [[ -n $messages ]] || return 0
  vkErrors[$layer]=$((vkErrors[$layer] + $(grep -c '^error ' <<<"$messages")))
  vkWarnings[$layer]=$((vkWarnings[$layer] + $(grep -c '^warning ' <<<"$messages")))
  sort <<<"$messages" | uniq -c | sed "s|^ *\([0-9]*\) \(.*\)|   $what: validation \2 (\1 times)|" |
    tee -a "$results/validation.txt"
}

# UnderDxvk LAYER NAME WHAT STDERR...: true when DXVK's log names the device it rendered with in
# each of a test's runs (their stderr; a .stderr file's .stdout twin is searched for validation
# messages too), and there is at least one; prints which device, or which runs did not go through
# DXVK.
UnderDxvk() {
  local layer=$1 name=$2 what=$3 run runName device='' found missing=()
  shift 3
  if (($# == 0)); then
    echo "   $name FAILED: did not run under DXVK (no $what left its log)"
    return 1
  fi
  for run in "$@"; do
    runName=$(basename "$run" .stderr)
    found=$(DxvkDevice "$run")
    if [[ -z $found ]]; then
      missing+=("$runName")
      continue
    fi
    device=$found
    if [[ $run == *.stderr ]]; then
      ScanValidation "$layer" "$name $runName" "$run" "${run%.stderr}.stdout"
    else
      ScanValidation "$layer" "$name" "$run"
    fi
  done
  if ((${#missing[@]} > 0)); then
    echo "   $name FAILED: did not run under DXVK (no device named in the log of ${missing[*]})"
    return 1
  fi
  echo "   $name: under DXVK on $device ($# of $# $what)"
}

# LayerDir LAYER: the layer's results folder.
LayerDir() {
  echo "$results/$1"
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
  for layer in "${layers[@]}"; do AddProblem "$layer" "set-up failed"; done
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
    ((passed[native] + failed[native] > 0)) || AddProblem native "ctest found no tests"
  else
    tail -n 20 "$results/native.log"
    AddProblem native "ctest wrote no report"
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
  AddProblem native "native build failed"
fi
seconds[native]=$((SECONDS - started))

# --- windows ---
# WindowsPass LAYER NAME DEVICE [wine-run options] -- [gtest options]: one run of the Windows test
# executable, its counts added to the layer; DEVICE is "device" when the run makes a Direct3D
# device, "no-device" when not. The program starts in the layer's folder, where its report lands.
WindowsPass() {
  local layer=$1 name=$2 device=$3 options=() status=0 report counts dir
  shift 3
  while [[ $1 != -- ]]; do options+=("$1"); shift; done
  shift
  dir=$(LayerDir "$layer")
  HTN_D3D=${layer#*/} "$HTN_REPO/scripts/wine-run.sh" --out "$dir" --timeout 900 "${options[@]}" \
    build/windows/tests/htn_windows_tests.exe --gtest_output="xml:$name.xml" "$@" \
    >"$dir/$name.log" 2>&1 || status=$?
  report=$dir/$name.xml
  grep -E '^\[  (PASSED|FAILED|SKIPPED) ' "$dir/$name.log" | sed "s/^/   $name: /"
  if [[ ! -s $report ]]; then
    tail -n 20 "$dir/$name.log"
    AddProblem "$layer" "$name: exit $status without a report"
    return
  fi
  read -r -a counts < <(CountXmlResults "$report")
  passed[$layer]=$((passed[$layer] + counts[0]))
  failed[$layer]=$((failed[$layer] + counts[1]))
  skipped[$layer]=$((skipped[$layer] + counts[2]))
  if ((status != 0 && counts[1] == 0)); then
    # A clean report but a failing exit: the process broke after its tests.
    failed[$layer]=$((failed[$layer] + 1))
    echo "   $name: htn_windows_tests.exe exited with $status after a clean report"
  fi
  if [[ $layer == */dxvk && $device == device ]] && ! UnderDxvk "$layer" "$name" runs "$dir/$name.log"; then
    failed[$layer]=$((failed[$layer] + 1))
  fi
}

for d3d in "${d3dList[@]}"; do
  layer=windows/$d3d
  echo "== windows tests ($d3d)"
  started=$SECONDS
  if ((windowsBuilt)); then
    mkdir -p "$(LayerDir "$layer")"
    WindowsPass "$layer" windows-tests device -- --gtest_filter='-*WithoutXAudio2*'
    # Suites named *WithoutXAudio2 check the silent path: they run apart, with the library taken
    # away. They make no Direct3D device, so they run once.
    if [[ $d3d == "${d3dList[0]}" ]]; then
      HTN_AUDIO_NO_XAUDIO2=1 WindowsPass "$layer" windows-no-xaudio2 no-device --dll-overrides xaudio2_9= -- \
        --gtest_filter='*WithoutXAudio2*'
    else
      echo "   windows-no-xaudio2: makes no Direct3D device, run once (under ${d3dList[0]})"
    fi
    ((passed[$layer] + failed[$layer] > 0)) || AddProblem "$layer" "no tests ran"
  else
    AddProblem "$layer" "windows test build failed"
  fi
  seconds[$layer]=$((SECONDS - started))
done

# --- e2e ---
# Count LAYER NAME STATUS DXVK_SHOWN LOG: a test's verdict, from its exit status and, under DXVK,
# whether each of its runs went through DXVK.
Count() {
  if (($3 != 0)); then
    failed[$1]=$((failed[$1] + 1))
    echo "   $2 FAILED (exit $3; log: ${5#"$HTN_REPO"/})"
  elif (($4 == 0)); then
    failed[$1]=$((failed[$1] + 1))
  else
    passed[$1]=$((passed[$1] + 1))
  fi
}

# E2eTest LAYER TEST: one end-to-end test script under the layer's implementation.
E2eTest() {
  local layer=$1 test=$2 d3d=${1#*/} name status=0 screen dir runs dxvkShown=1
  name=$(basename "$test" .sh)
  dir=$(LayerDir "$layer")
  # A test that uses no Direct3D says so in a "# direct3d: none" line; it runs once.
  if grep -q '^# direct3d: none' "$test" && [[ $d3d != "${d3dList[0]}" ]]; then
    echo " $name: uses no Direct3D, run once (under ${d3dList[0]})"
    return
  fi
  echo " $name"
  # A test that needs a screen size of its own names it in a "# screen: WxHxD" line.
  screen=$(sed -n 's/^# screen: *//p' "$test" | head -n 1)
  HTN_D3D=$d3d HTN_SCREEN=${screen:-1280x720x24} \
    "$HTN_REPO/scripts/wine-run.sh" --out "$dir/$name" --timeout 300 "tests/e2e/$name.sh" \
    >"$dir/$name.log" 2>&1 || status=$?
  # The tests indent what they report; Wine's own chatter is left in the log.
  grep -E '^ |^wine-run' "$dir/$name.log"
  skipped[$layer]=$((skipped[$layer] + $(grep -c '^  skip ' "$dir/$name.log")))
  # Every run of the intro that the test made must have gone through DXVK.
  if [[ $d3d == dxvk ]] && ! grep -q '^# direct3d: none' "$test"; then
    shopt -s nullglob
    runs=("$dir/$name"/intro-*.stderr)
    shopt -u nullglob
    UnderDxvk "$layer" "$name" "runs of the intro" "${runs[@]}" || dxvkShown=0
  fi
  Count "$layer" "$name" "$status" "$dxvkShown" "$dir/$name.log"
}

# CaptureTest LAYER: the capture test, on the host where ffmpeg is; it starts its own Wine runs,
# whose logs wine-run.sh keeps under DXVK.
CaptureTest() {
  local layer=$1 d3d=${1#*/} dir status=0 runs dxvkShown=1
  dir=$(LayerDir "$layer")
  echo " capture"
  HTN_D3D=$d3d HTN_D3D_LOG_DIR=$dir/capture-runs \
    timeout -k 5 900 "$HTN_REPO/tests/capture/capture_test.sh" "$dir/capture" \
    >"$dir/capture.log" 2>&1 || status=$?
  grep -E '^ ' "$dir/capture.log"
  if [[ $d3d == dxvk ]]; then
    shopt -s nullglob
    runs=("$dir/capture-runs"/*.stderr)
    shopt -u nullglob
    UnderDxvk "$layer" capture "Wine runs" "${runs[@]}" || dxvkShown=0
  fi
  Count "$layer" capture "$status" "$dxvkShown" "$dir/capture.log"
}

shopt -s nullglob
e2eTests=("$HTN_REPO"/tests/e2e/test_*.sh)
shopt -u nullglob
for d3d in "${d3dList[@]}"; do
  layer=e2e/$d3d
  echo "== e2e tests ($d3d)"
  started=$SECONDS
  if ((introBuilt)); then
    mkdir -p "$(LayerDir "$layer")"
    ((${#e2eTests[@]} > 0)) || AddProblem "$layer" "no tests/e2e/test_*.sh"
    for test in "${e2eTests[@]}"; do
      E2eTest "$layer" "$test"
    done
    CaptureTest "$layer"
  else
    AddProblem "$layer" "intro build failed"
  fi
  seconds[$layer]=$((SECONDS - started))
done

Verdict
