#!/bin/bash
# Runs one program under Wine 10 inside the cached root, in namespaces of its own: a private
# display (Xvfb) and sound sink, a fresh Wine prefix stacked on the template, no network, the
# repository read-only at /repo and an output folder read-write at /out. Everything started
# inside ends with it. Exit status: the program's own (124 or 137 after the time limit).
#
#   scripts/wine-run.sh [options] PATH [ARGS...]
#     PATH is relative to the repository: a .exe runs with wine (its stdout comes through),
#     a .sh runs with bash inside the root, where it may start wine, xdotool, import, parec.
#   --out DIR              host folder for screenshots and recordings (default: out/)
#   --dll-overrides LIST   extra WINEDLLOVERRIDES entries, e.g. "xaudio2_9=" to take the sound away
#   --timeout SECONDS      hard limit for the whole run (default: $HTN_TIMEOUT or 600)
#   --host-display         use the host's X display ($DISPLAY) and PulseAudio instead of private ones
#   HTN_SCREEN=WxHxD       size of the private display (default 1280x720x24)
#   HTN_D3D=wined3d|dxvk   Direct3D 11 through Wine's wined3d (default) or through DXVK over Vulkan
#   HTN_VK_VALIDATION=1    under DXVK, load Vulkan's validation layer (messages in DXVK's log)
#   HTN_D3D_LOG_DIR=DIR    under DXVK, a .exe run keeps a copy of its stderr (DXVK's log) in this
#                          host folder, as NAME.XXXXXX.stderr
# Under DXVK a .exe run ends with "wine-run: PATH rendered through DXVK on DEVICE", the device
# named in DXVK's log on the program's stderr, or "wine-run: PATH made no device through DXVK".
# Every exported HTN_* variable reaches the program's environment.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

outDir=$HTN_REPO/out
timeLimit=${HTN_TIMEOUT:-600}
hostDisplay=0
while (($# > 0)); do
  case $1 in
    --out) outDir=$2; shift 2 ;;
    --dll-overrides) export HTN_DLL_OVERRIDES=$2; shift 2 ;;
    --timeout) timeLimit=$2; shift 2 ;;
    --host-display) hostDisplay=1; shift ;;
    --) shift; break ;;
    -*) HtnDie "unknown option $1" ;;
    *) break ;;
  esac
done
(($# > 0)) || HtnDie "usage: wine-run.sh [--out DIR] [--dll-overrides LIST] [--timeout S] [--host-display] PATH [ARGS...]"
HtnNeedRoot

target=$1
shift
# The repository is seen at /repo inside, so the program is named by its place in it.
[[ $target != /* ]] || target=$(realpath --relative-to="$HTN_REPO" "$target")
[[ $target != ../* ]] || HtnDie "$target is outside the repository"
[[ -f $HTN_REPO/$target ]] || HtnDie "$target does not exist (build it first: scripts/build.sh)"

mkdir -p "$outDir"
outDir=$(realpath "$outDir")

exec {lockFd}>"$HTN_ROOT_LOCK"
flock -s "$lockFd"
HtnRootIsCurrent || HtnDie "the Wine root is missing or out of date: run scripts/setup.sh"

export HTN_SCREEN=${HTN_SCREEN:-1280x720x24}
nsEnv=(NS_ROOT="$HTN_WINE_ROOT" NS_ROOT_RO=1 NS_PREFIX=overlay NS_OUT="$outDir" NS_HOST_DISPLAY="$hostDisplay")
for name in $(compgen -e | grep '^HTN_' || true); do
  nsEnv+=("$name=${!name}")
done
unshareArgs=(--mount --pid --fork --kill-child --mount-proc)
if [[ $hostDisplay == 1 ]]; then
  [[ -n ${DISPLAY:-} ]] || HtnDie "--host-display needs DISPLAY"
  # X and PulseAudio may be reached through abstract sockets, which a new network namespace hides.
  for name in DISPLAY XAUTHORITY PULSE_SERVER XDG_RUNTIME_DIR HOME; do
    [[ -z ${!name:-} ]] || nsEnv+=("$name=${!name}")
  done
else
  unshareArgs+=(--net)
fi

# SIGTERM does not get through unshare --fork; the KILL that -k sends does, and the kernel then
# ends the whole namespace.
RunInNamespace() {
  HtnCleanEnv "${nsEnv[@]}" timeout -k 2 "$timeLimit" unshare "${unshareArgs[@]}" \
    "$HTN_REPO/scripts/lib/wine-namespace.sh" "$HTN_IN_REPO/$target" "$@"
}

status=0
if [[ ${HTN_D3D:-wined3d} == dxvk && $target == *.exe ]]; then
  # A copy of stderr, where DXVK names the device it renders with: a run that did not go through
  # DXVK (its DLLs not taken, or no device made) shows.
  if [[ -n ${HTN_D3D_LOG_DIR:-} ]]; then
    mkdir -p "$HTN_D3D_LOG_DIR"
    deviceLog=$(mktemp "$HTN_D3D_LOG_DIR/$(basename "$target" .exe).XXXXXX.stderr")
  else
    deviceLog=$(mktemp)
    trap 'rm -f "$deviceLog"' EXIT
  fi
  RunInNamespace "$@" 2> >(tee "$deviceLog" >&2) || status=$?
  wait $!
  device=$(tr -d '\r' <"$deviceLog" | sed -n 's/^info: *Device : //p' | head -n 1)
  if [[ -n $device ]]; then
    verdict="wine-run: $target rendered through DXVK on $device"
  else
    verdict="wine-run: $target made no device through DXVK"
  fi
  echo "$verdict" >&2
else
  RunInNamespace "$@" || status=$?
fi
if ((status == 124 || status == 137)); then
  echo "wine-run: $target stopped after the time limit of $timeLimit s" >&2
fi
exit "$status"
