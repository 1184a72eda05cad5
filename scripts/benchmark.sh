#!/bin/bash
# Times the intro's passes (scene, composite, end card, and a flat-colour pass for comparison) at
# 1280x720, 1920x1080 and 3840x2160 and prints the medians, the renderer's first end-card frame and,
# from a second Wine session, each pixel shader's first use. With --against it times a reference
# shader text beside the current one in the same rounds, interleaved, and prints the ratios;
# --show-check then compares the two texts' pictures over the whole show. Here it runs under Wine
# on the software renderer and uses the CPU clock, so only figures from one run compare with each
# other; on Windows run build/.../tools/frames/htn_pass_benchmark.exe directly. Output files (the
# reference text, the pictures of frames that failed the check) are left in out/benchmark/.
# Direct3D 11 is Wine's own (over wined3d) unless --d3d or HTN_D3D says dxvk. A query that does
# not answer within the wait limit (--wait-limit, 120 s) ends its size with a report naming it.
#   scripts/benchmark.sh [--d3d wined3d|dxvk] [--rounds N] [--sizes WxH[,WxH...]]
#                        [--against REF [--show-check]] [--wait-limit SECONDS]
#     REF is a git revision, whose shaders/intro.hlsl is taken, or the path of an HLSL file.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

args=()
firstUseArgs=()
against=
while (($# > 0)); do
  case $1 in
    --against)
      (($# > 1)) || HtnDie "--against needs a git revision or an HLSL file"
      against=$2
      shift 2
      ;;
    --d3d)
      (($# > 1)) || HtnDie "--d3d needs wined3d or dxvk"
      export HTN_D3D=$2
      shift 2
      ;;
    --wait-limit)
      (($# > 1)) || HtnDie "--wait-limit needs a number of seconds"
      args+=(--wait-limit "$2")
      firstUseArgs+=(--wait-limit "$2")
      shift 2
      ;;
    --sizes)
      (($# > 1)) || HtnDie "--sizes needs a list such as 1280x720,1920x1080"
      args+=(--sizes "$2")
      firstUseArgs+=(--sizes "${2%%,*}")
      shift 2
      ;;
    *) args+=("$1"); shift ;;
  esac
done

export HTN_D3D=${HTN_D3D:-wined3d}
case $HTN_D3D in
  wined3d) echo "Direct3D 11 through Wine's wined3d, on Mesa's llvmpipe (OpenGL)" ;;
  dxvk) echo "Direct3D 11 through DXVK, on Mesa's lavapipe (Vulkan)" ;;
  *) HtnDie "--d3d (or HTN_D3D) must be wined3d or dxvk, not '$HTN_D3D'" ;;
esac

out=$HTN_REPO/out/benchmark
rm -rf --one-file-system "$out"
mkdir -p "$out"
if [[ -n $against ]]; then
  # The program sees only the repository and its output folder, so the text goes into the latter.
  if [[ -f $against ]]; then
    cp "$against" "$out/reference.hlsl"
  elif git -C "$HTN_REPO" rev-parse --verify --quiet "$against^{commit}" >/dev/null; then
    git -C "$HTN_REPO" show "$against:shaders/intro.hlsl" >"$out/reference.hlsl"
  else
    HtnDie "--against $against is neither a file nor a git revision"
  fi
  args+=(--against reference.hlsl)
  firstUseArgs+=(--against reference.hlsl)
fi

tree=build/windows
HtnConfigure windows >/dev/null
HtnBuild windows --target htn_pass_benchmark >/dev/null

Run() {
  # The largest size needs a desktop at least as large for its window.
  HTN_SCREEN=3840x2160x24 "$HTN_REPO/scripts/wine-run.sh" --out "$out" --timeout 3600 \
    "$tree/tools/frames/htn_pass_benchmark.exe" "$@"
}
# A size that could not be timed (a stalled query, say) leaves the others and the first-use table;
# the status says it.
status=0
Run "${args[@]}" || status=$?
# Mesa keeps compiled shaders on disk for the rest of a session (in its home), so the first-use
# costs come from a session of their own. Its first lines repeat which Direct3D 11 and clock.
Run --first-use "${firstUseArgs[@]}" | tail -n +3 || status=$?
exit "$status"
