#!/bin/bash
# Runs inside the Wine root (started by wine-namespace.sh): brings up a virtual X display and a
# PulseAudio null sink unless the host's are handed in, sets Wine's environment, then runs one
# command and exits with its status. Afterwards it ends Wine's processes and the ones it started,
# each by its id; anything left over still ends with the namespace.
#   *.exe         run with wine; its stdout and exit code come back
#   *.sh          run with bash (an end-to-end test); it may start wine, xdotool, import, parec
#   anything else run as it stands
set -euo pipefail

export XDG_RUNTIME_DIR=/run/htn
mkdir -m 700 "$XDG_RUNTIME_DIR"

startedPids=()

# Ends the Wine server (and with it every Wine process of the prefix), then what this session
# started, by id, and waits for them.
EndSession() {
  wineserver -k 2>/dev/null || true
  local pid
  for pid in "${startedPids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${startedPids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}
trap EndSession EXIT

StartDisplay() {
  local numberFile=$XDG_RUNTIME_DIR/display
  : >"$numberFile"
  # -displayfd lets Xvfb pick a free display and say which once it accepts connections.
  Xvfb -displayfd 3 -screen 0 "${HTN_SCREEN:-1280x720x24}" -nolisten tcp \
    3>"$numberFile" 2>"$XDG_RUNTIME_DIR/xvfb.log" &
  startedPids+=($!)
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    if [[ $(wc -l <"$numberFile") -ge 1 ]]; then
      export DISPLAY=":$(head -n 1 "$numberFile")"
      return 0
    fi
    sleep 0.1
  done
  echo "wine-session: Xvfb did not start:" >&2
  cat "$XDG_RUNTIME_DIR/xvfb.log" >&2
  return 1
}

StartNullSink() {
  local socket=$XDG_RUNTIME_DIR/pulse.sock
  # Without an audio device Wine's XAudio2 crashes, so a null sink stands in; its monitor source
  # lets tests record what was played.
  pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --realtime=no --high-priority=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$socket" \
    --load="module-null-sink sink_name=nullsink rate=48000 channels=2" \
    >"$XDG_RUNTIME_DIR/pulse.log" 2>&1 &
  startedPids+=($!)
  export PULSE_SERVER=unix:$socket
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    if pactl info >/dev/null 2>&1; then
      pactl set-default-sink nullsink
      return 0
    fi
    sleep 0.1
  done
  echo "wine-session: PulseAudio did not start:" >&2
  cat "$XDG_RUNTIME_DIR/pulse.log" >&2
  return 1
}

[[ -n ${DISPLAY:-} ]] || StartDisplay
[[ -n ${PULSE_SERVER:-} ]] || StartNullSink

export WINEARCH=win64 WINEDEBUG=-all
# Mono and Gecko are never wanted; callers may add more, such as "xaudio2_9=" to take the sound away.
overrides="mscoree,mshtml="

# The Direct3D 11 implementation: Wine's own wined3d (over OpenGL), or DXVK (over Vulkan, as
# Proton runs it), each on Mesa's software renderer.
case ${HTN_D3D:-wined3d} in
  wined3d) ;;
  dxvk)
    # DXVK's two DLLs stand in for Wine's builtin ones in this run's prefix only.
    for dll in d3d11 dxgi; do
      cp "/usr/lib/dxvk/wine64/$dll.dll.so" "$WINEPREFIX/drive_c/windows/system32/$dll.dll"
    done
    overrides+=";d3d11,dxgi=n"
    # Xvfb's modes carry no dot clock, so through XRandR Wine reports a 0 Hz display, and DXVK 2.6
    # divides by that rate in Present; without XRandR Wine reports 60 Hz. The desktop process that
    # reg.exe starts has read the old setting and keeps the display modes it found, so the session
    # waits for it to end (about a second), or ends it: the program's own start then brings a
    # desktop with the new one.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
    timeout 30 wineserver -w || wineserver -k || true
    # DXVK's log goes to stderr, where it names the Vulkan device it renders with.
    export DXVK_LOG_PATH=none DXVK_LOG_LEVEL=${HTN_DXVK_LOG_LEVEL:-info}
    mkdir -p /root/dxvk-cache
    export DXVK_STATE_CACHE_PATH=/root/dxvk-cache
    # Vulkan's validation layer checks every Vulkan call DXVK makes. The loader loads it; DXVK's
    # own debug messenger then takes its messages (errors and warnings) and the loader's, among
    # them 'Inserted device layer "VK_LAYER_KHRONOS_validation"', into DXVK's log on stderr: an
    # "err:   ID: " or "warn:  ID: " line, the message on the next. DXVK still warns "Validation
    # layers not found", as Wine's Vulkan lists none of the host's layers. Only what the layer
    # reports while the instance is made goes to stdout, as "Validation Error: [ ID ]" and the like.
    if [[ ${HTN_VK_VALIDATION:-0} == 1 ]]; then
      export VK_INSTANCE_LAYERS=VK_LAYER_KHRONOS_validation DXVK_DEBUG=validation
      export VK_KHRONOS_VALIDATION_REPORT_FLAGS=error,warn
    fi
    ;;
  *)
    echo "wine-session: HTN_D3D must be wined3d or dxvk, not '$HTN_D3D'" >&2
    exit 2
    ;;
esac
export WINEDLLOVERRIDES="$overrides${HTN_DLL_OVERRIDES:+;$HTN_DLL_OVERRIDES}"

if mountpoint -q /out; then
  cd /out
else
  cd /root
fi

status=0
case $1 in
  *.exe) wine "$@" || status=$? ;;
  *.sh) bash "$@" || status=$? ;;
  *) "$@" || status=$? ;;
esac
exit "$status"
