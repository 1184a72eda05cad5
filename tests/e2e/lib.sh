# Helpers for the end-to-end tests. A test is tests/e2e/test_<topic>.sh; scripts/test.sh runs each
# one through scripts/wine-run.sh, so it runs inside the Wine root with its own display, sound sink
# and Wine prefix, the repository at /repo and its output folder at /out. It sources this file,
# makes its checks with Expect*, and ends with Finish. Its exit status is the verdict.
#
# HTN_WINDOWS_BUILD (relative to the repository, default build/windows) names the cross build.
# HTN_D3D (wined3d or dxvk, set for the whole run) names the Direct3D 11 implementation. Each run of
# the intro leaves its output in /out/intro-N.stdout and /out/intro-N.stderr, where under DXVK the
# harness looks for DXVK's line naming the device it rendered with.

set -uo pipefail

e2eDir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
windowsBuild=/repo/${HTN_WINDOWS_BUILD:-build/windows}
INTRO_EXE=$windowsBuild/htn_intro.exe
PROBE_EXE=$windowsBuild/tests/e2e/htn_window_probe.exe
# Under Wine an X window's class is the name of the program that made it.
introXClass=$(basename "$INTRO_EXE")

checksPassed=0
checksFailed=0
checksSkipped=0
INTRO_PID=
INTRO_STATUS=
introRuns=0
introStderr=/out/intro-0.stderr
D3D=${HTN_D3D:-wined3d}
declare -A probe=()

# --- verdicts -------------------------------------------------------------------------------------

Pass() {
  checksPassed=$((checksPassed + 1))
  echo "  ok   $1"
}

Fail() {
  checksFailed=$((checksFailed + 1))
  echo "  FAIL $1${2:+ ($2)}"
}

# Skip NAME REASON: a check that this run cannot judge, with the reason; counted apart.
Skip() {
  checksSkipped=$((checksSkipped + 1))
  echo "  skip $1 ($2)"
}

# SkippedUnder IMPLEMENTATION NAME REASON: true, with the check skipped, when the run goes through
# that Direct3D 11 implementation; false otherwise, and the check is made. Only for a check that
# cannot hold there for a reason that lies in the implementation, never in the intro:
#   SkippedUnder dxvk "the frame comes at once" "lavapipe compiles its pipelines first" || Expect ...
SkippedUnder() {
  [[ $D3D == "$1" ]] || return 1
  Skip "$2" "under $1: $3"
}

# Expect NAME COMMAND...: the check passes when the command succeeds.
Expect() {
  local name=$1
  shift
  if "$@"; then Pass "$name"; else Fail "$name"; fi
}

ExpectEqual() {
  if [[ $2 == "$3" ]]; then Pass "$1"; else Fail "$1" "expected '$2', got '$3'"; fi
}

# A test that stops without a verdict (a typo, a helper that exits) must not pass by accident.
verdictGiven=0
NoVerdict() {
  if ((verdictGiven == 0)); then
    echo "  FAIL the test ended without reaching Finish"
    exit 1
  fi
}
trap NoVerdict EXIT

# Ends the test: fails when a check failed or when none ran at all.
Finish() {
  verdictGiven=1
  local skipped=
  ((checksSkipped == 0)) || skipped=", $checksSkipped skipped"
  echo "  $checksPassed checks passed, $checksFailed failed$skipped"
  if ((checksFailed > 0 || checksPassed == 0)); then
    exit 1
  fi
  exit 0
}

# Stops the test at once when a step that everything after it needs did not work.
Require() {
  local name=$1
  shift
  if "$@"; then
    Pass "$name"
  else
    Fail "$name"
    echo "  (cannot go on)"
    verdictGiven=1
    [[ -z $INTRO_PID ]] || tail -n 20 "$introStderr" 2>/dev/null | sed 's/^/  intro: /'
    exit 1
  fi
}

# WaitFor SECONDS COMMAND...: polls the command every 0.1 s until it succeeds or time runs out.
WaitFor() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# --- the intro's process --------------------------------------------------------------------------

# StartIntro [WINEDLLOVERRIDES entries]: starts the intro in the background; its output goes to
# /out/intro-N.stdout and .stderr, N counting the runs from 1.
StartIntro() {
  local overrides=$WINEDLLOVERRIDES${1:+;$1}
  [[ -f $INTRO_EXE ]] || { Fail "intro executable exists" "$INTRO_EXE"; Finish; }
  introRuns=$((introRuns + 1))
  introStderr=/out/intro-$introRuns.stderr
  WINEDLLOVERRIDES=$overrides wine "$INTRO_EXE" >"/out/intro-$introRuns.stdout" 2>"$introStderr" &
  INTRO_PID=$!
  INTRO_STATUS=
}

# Starts the intro without XAudio2, so the "Lyd" warning is sure to come whatever the sound
# support; tests that are not about sound use this and dismiss it.
StartIntroSilenced() {
  StartIntro "xaudio2_9="
}

IntroRunning() {
  [[ -n $INTRO_PID ]] && kill -0 "$INTRO_PID" 2>/dev/null
}

# WaitForExit SECONDS: true when the intro ended in time; its exit status is then in INTRO_STATUS.
WaitForExit() {
  WaitFor "$1" eval '! IntroRunning' || return 1
  wait "$INTRO_PID"
  INTRO_STATUS=$?
  return 0
}

# Wine prints "wine: Unhandled page fault", "... division by zero", "... exception" and the like when
# a program dies of an unhandled exception.
IntroCrashed() {
  grep -q 'wine: Unhandled' "$introStderr" 2>/dev/null
}

# --- the Win32 view, through the probe ------------------------------------------------------------

# ReadProbe ARGS...: runs the probe and fills probe[...] from its "key=value" lines; true when it
# found what it looked for.
ReadProbe() {
  probe=()
  local key value
  while IFS='=' read -r key value; do
    [[ -n $key ]] && probe[$key]=$value
  done < <(wine "$PROBE_EXE" "$@" 2>/dev/null | tr -d '\r')
  [[ ${probe[found]:-0} == 1 ]]
}

# ProbeWindow: what Win32 reports about the "HTN_D3D11_IntroWnd" window: probe[window] and
# probe[client] ("left top right bottom"), probe[style], probe[exstyle], probe[popup],
# probe[caption], probe[thickframe], probe[visible], probe[zoomed], probe[screen] ("w h"),
# probe[virtual] ("x y w h") and probe[pointer] (1 when the pointer shows over the focused window).
ProbeWindow() {
  ReadProbe window
}

WaitForIntroWindow() {
  WaitFor "${1:-60}" ProbeWindow
}

# ProbeBox CAPTION: the message box with that caption: probe[text], probe[owner] (its owner's
# window class) and probe[pointer].
ProbeBox() {
  ReadProbe box "$1"
}

# PostClose: posts WM_CLOSE to the intro window.
PostClose() {
  wine "$PROBE_EXE" close >/dev/null 2>&1
}

# CloseLikeCloseButton: what a window manager's close button does, on the intro's X window.
CloseLikeCloseButton() {
  local window
  window=$(IntroXWindow) || return 1
  python3 "$e2eDir/x11_close_window.py" "$window"
}

# Width and height of a "left top right bottom" rectangle.
RectSize() {
  local left top right bottom
  read -r left top right bottom <<<"$1"
  echo "$((right - left)) $((bottom - top))"
}

# --- the X11 view ---------------------------------------------------------------------------------

# FindXWindowByName REGEX: prints the X id of a visible window whose name matches; false if none.
FindXWindowByName() {
  local found
  found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
  [[ -n $found ]] && echo "$found"
}

# IntroXWindow: the intro's main X window, the largest visible one of its class.
IntroXWindow() {
  local window best='' bestArea=0 width height area
  for window in $(xdotool search --onlyvisible --class "^${introXClass//./\\.}\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=')"
    width=${WIDTH:-0} height=${HEIGHT:-0}
    area=$((width * height))
    if ((area > bestArea)); then
      best=$window bestArea=$area
    fi
  done
  [[ -n $best ]] && echo "$best"
}

# SendKey KEY: a key press (xdotool's names: F11, Escape, alt+F4) to the intro's window.
SendKey() {
  local window
  window=$(IntroXWindow) || return 1
  xdotool key --window "$window" "$1" 2>/dev/null
}

# ScreenSize: the X screen's "width height".
ScreenSize() {
  xwininfo -root | awk '/^ +Width:/ { w = $2 } /^ +Height:/ { h = $2 } END { print w, h }'
}

# --- message boxes --------------------------------------------------------------------------------

# DismissMessageBox CAPTION [SECONDS]: waits for the box, presses Return on it, waits until it is
# gone. Return closes the box on key-down, so xdotool's BadWindow complaint is expected and hidden.
DismissMessageBox() {
  local box
  WaitForMessageBox "$1" "${2:-20}" || return 1
  box=$(FindXWindowByName "^$1\$") || return 1
  xdotool key --window "$box" Return 2>/dev/null
  WaitFor 5 eval "! FindXWindowByName '^$1\$' >/dev/null"
}

# WaitForMessageBox CAPTION [SECONDS]: true once a box with that caption is on screen.
WaitForMessageBox() {
  WaitFor "${2:-20}" eval "FindXWindowByName '^$1\$' >/dev/null"
}

DismissSoundWarning() {
  DismissMessageBox Lyd "$@"
}

# --- pictures and sound ---------------------------------------------------------------------------

# Screenshot NAME: saves the whole screen as /out/NAME.png and prints the path.
Screenshot() {
  import -window root "/out/$1.png" && echo "/out/$1.png"
}

# PixelAt FILE X Y: prints "r g b" (0-255) of one pixel.
PixelAt() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}

# StartRecording NAME: records the null sink into /out/NAME.wav until StopRecording. A silent
# stream keeps the sink running in real time; an idle null sink renders ahead and the recording
# would lose up to 2 s. Start it before the sound of interest begins.
StartRecording() {
  pacat -d nullsink --format=s16le --rate=48000 --channels=2 </dev/zero &
  silencePid=$!
  parec -d nullsink.monitor --latency-msec=200 --format=s16le --rate=48000 --channels=2 \
    --file-format=wav "/out/$1.wav" &
  recorderPid=$!
  # On a busy machine parec can take seconds to begin; the sound of interest must not come first.
  WaitFor 30 eval "(( \$(stat -c %s /out/$1.wav 2>/dev/null || echo 0) > 4096 ))"
}

StopRecording() {
  sleep 1
  kill -INT "$recorderPid" 2>/dev/null
  wait "$recorderPid" 2>/dev/null
  kill "$silencePid" 2>/dev/null
  wait "$silencePid" 2>/dev/null
  return 0
}
