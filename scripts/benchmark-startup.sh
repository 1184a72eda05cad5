#!/bin/bash
# Times the intro's start-up under Wine 10: seconds from launch until its first frame is on the
# screen, on a 1280x720 virtual screen with the null sound sink. Cold: each run in a Wine
# session of its own, with a fresh prefix and empty shader caches (Mesa's under the home folder,
# DXVK's state cache), as a new user's first run. Warm: the runs of one session, after a launch
# that filled the caches. With --against the intro of that revision is built beside this one and
# timed in the same run, in turns, so that the two compare on a machine whose load changes.
#   scripts/benchmark-startup.sh [--runs N] [--against REV]
#     --runs     cold runs, and warm ones, per build (default 5)
#     --against  a git revision; its intro is built once in out/benchmark-startup/
#   HTN_D3D=dxvk times it through DXVK, like every Wine run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

runs=5
against=
while (($# > 0)); do
  case $1 in
    --runs)
      [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || HtnDie "--runs needs a positive count"
      runs=$2
      shift 2
      ;;
    --against)
      (($# > 1)) || HtnDie "--against needs a git revision"
      against=$2
      shift 2
      ;;
    *) HtnDie "usage: benchmark-startup.sh [--runs N] [--against REV]" ;;
  esac
done
HtnNeedRoot

out=$HTN_REPO/out/benchmark-startup
mkdir -p "$out"
work=$(mktemp -d "$out/run.XXXXXX")
trap 'rm -rf --one-file-system "$work"' EXIT

"$HTN_REPO/scripts/build.sh" intro >/dev/null
builds=("current=/repo/build/windows/htn_intro.exe")
if [[ -n $against ]]; then
  revision=$(git -C "$HTN_REPO" rev-parse --verify --quiet "$against^{commit}") ||
    HtnDie "--against $against is not a git revision"
  tree=$out/build-$revision
  if [[ ! -f $tree/build/windows/htn_intro.exe ]]; then
    echo "building the intro of $against (${revision:0:12}) in $tree"
    rm -rf --one-file-system "$tree"
    git clone --quiet --no-checkout "$HTN_REPO" "$tree"
    git -C "$tree" checkout --quiet "$revision"
    "$tree/scripts/build.sh" intro >"$out/build-$revision.log" 2>&1 ||
      HtnDie "the build of $against failed: see $out/build-$revision.log"
  fi
  # The session sees only this repository and its output folder.
  mkdir -p "$work/against"
  cp "$tree/build/windows/htn_intro.exe" "$work/against/htn_intro.exe"
  builds+=("${against//[^A-Za-z0-9._-]/_}=/out/against/htn_intro.exe")
fi

results=$work/results.txt
: >"$results"
# Session BUILDS...: one Wine session running the benchmark inside; its timings go to the results.
Session() {
  "$HTN_REPO/scripts/wine-run.sh" --out "$work" --timeout 900 tests/e2e/bench_startup.sh "$@" |
    tee -a "$results" | grep -v '^first-frame ' || true
}

echo "cold: $runs runs per build, each in a session of its own (${HTN_D3D:-wined3d})"
for ((run = 0; run < runs; run++)); do
  order=("${builds[@]}")
  ((run % 2 == 0)) || mapfile -t order < <(printf '%s\n' "${builds[@]}" | tac)
  for build in "${order[@]}"; do
    Session cold "$build"
  done
done
echo "warm: $runs runs per build in one session"
Session warm "$runs" "${builds[@]}"

echo
echo "launch to the first frame on the screen, seconds (${HTN_D3D:-wined3d}, ${HTN_SCREEN:-1280x720x24});"
echo "in brackets the median to the first frame stamp, which Present may set before the picture is drawn;"
echo "then the longest step of loop time between two frames up to 4 s (median, and the latest loop time one"
echo "ended at): the picture is black until 2.5 s, so a step that ends before that is not seen:"
labels=()
for build in "${builds[@]}"; do labels+=("${build%%=*}"); done
awk -v labels="${labels[*]}" '
  $1 == "first-frame" {
    key = $2 " " $3; n[key]++; v[key, n[key]] = $4; w[key, n[key]] = $5; g[key, n[key]] = $6
    if ($7 > last[key]) last[key] = $7
  }
  function median(values, key,   i, j, t, m) {
    m = n[key]
    for (i = 1; i <= m; i++) s[i] = values[key, i]
    for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++) if (s[j] < s[i]) { t = s[i]; s[i] = s[j]; s[j] = t }
    return m % 2 ? s[(m + 1) / 2] : (s[m / 2] + s[m / 2 + 1]) / 2
  }
  END {
    count = split(labels, name, " ")
    for (k = 1; k <= 2; k++) {
      mode = k == 1 ? "cold" : "warm"
      for (b = 1; b <= count; b++) {
        key = mode " " name[b]
        if (!n[key]) { printf "  %s %-12s no timed launch\n", mode, name[b]; continue }
        med[mode, b] = median(v, key)
        list = ""
        for (i = 1; i <= n[key]; i++) list = list sprintf(" %.2f", v[key, i])
        printf "  %s %-12s median %.2f of %d:%s  (stamp %.2f)  longest step %d ms, latest end %.2f s\n", mode,
          name[b], med[mode, b], n[key], list, median(w, key), median(g, key), last[key] / 1000
      }
      if (count == 2 && med[mode, 1] && med[mode, 2])
        printf "  %s current / %s: %.0f %%\n", mode, name[2], 100 * med[mode, 1] / med[mode, 2]
    }
  }' "$results"
