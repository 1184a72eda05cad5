#!/bin/bash
# The studio, htn_studio.exe, on a copy of the shader in the output folder. Paused, its frame stamp
# holds still and the music is silent. A saved change of a constant (the background's tint) shows
# on the paused picture; a syntax error keeps that picture, puts the compiler's error in the
# top-left strip, prints "failed:" and opens no box; the fix takes the error away again. F12 writes
# the picture beside the shader; paused seeks move the loop time by exactly their step; Q ends the
# studio with exit code 0.
#   HTN_STUDIO_SAVES=N  before Q, also times N saves from the rename to the first look at the
#                       screen that shows them, and prints their median (figures only)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

STUDIO_EXE=$windowsBuild/tools/studio/htn_studio.exe
# lib.sh's key and window helpers look for this X class, the probe for this Win32 class.
introXClass=$(basename "$STUDIO_EXE")
export HTN_PROBE_CLASS=HTN_D3D11_StudioWnd

shader=/out/intro.hlsl
original=/out/original.hlsl
changed=/out/changed.hlsl
broken=/out/broken.hlsl
cp /repo/shaders/intro.hlsl "$original"
cp "$original" "$shader"
# From blue to amber: the whole background away from the logo and the text changes colour.
tint='static const float3 BG_TINT = float3(0.08, 0.16, 0.32);'
sed "s/^${tint//./\\.}\$/static const float3 BG_TINT = float3(0.90, 0.60, 0.20);/" "$original" >"$changed"
# A statement without its semicolon, in the composite pass.
sed 's/^    col = v \* col;$/    col = v * col/' "$changed" >"$broken"
Require "the tint line is found and changed" eval "! cmp -s '$original' '$changed'"
Require "the syntax error is written" eval "! cmp -s '$changed' '$broken'"

# Its output goes where the intro's runs put theirs, so the harness finds DXVK's log there.
StartStudio() {
  [[ -f $STUDIO_EXE ]] || { Fail "studio executable exists" "$STUDIO_EXE"; Finish; }
  introRuns=$((introRuns + 1))
  introStderr=/out/intro-$introRuns.stderr
  studioOut=/out/intro-$introRuns.stdout
  wine "$STUDIO_EXE" "$@" >"$studioOut" 2>"$introStderr" &
  INTRO_PID=$!
  INTRO_STATUS=
}

# Save FILE: writes FILE's text to a temporary file beside the copy and renames it over the copy,
# as editors save.
Save() {
  cp "$1" "$shader.tmp" && mv -f "$shader.tmp" "$shader"
}

# Printed SINCE PATTERN: the studio printed a line matching PATTERN after its first SINCE lines.
Printed() {
  tail -n +$(($1 + 1)) "$studioOut" | tr -d '\r' | grep -q -- "$2"
}
OutputLines() { wc -l <"$studioOut"; }

# SaveAndWatch FILE X0 Y0 X1 Y1: saves FILE's text as Save does and prints the seconds from the
# rename until the root window shows a changed picture in the region: a quarter of a grid of its
# pixels (every 8th in each direction) differ by more than 8 levels in a channel from what it
# showed just before. "none" after 120 s.
SaveAndWatch() {
  cp "$1" "$shader.tmp" || return 1
  PYTHONPATH=$(dirname "$0") python3 - "$shader.tmp" "$shader" "${@:2}" <<'PY'
import os, sys, time
from x11_root import Root

root = Root()
temp, target = sys.argv[1], sys.argv[2]
x0, y0, x1, y1 = (int(v) for v in sys.argv[3:7])

def grid():
    data, line, step = root.grab(x0, y0, x1 - x0, y1 - y0)
    return [data[y * line + x * step:y * line + x * step + 3]
            for y in range(0, y1 - y0, 8) for x in range(0, x1 - x0, 8)]

before = grid()
os.rename(temp, target)
start = time.monotonic()
while time.monotonic() - start < 120:
    now = grid()
    changed = sum(1 for p, q in zip(before, now) if max(abs(a - b) for a, b in zip(p, q)) > 8)
    if 4 * changed >= len(before):
        print("%.2f" % (time.monotonic() - start))
        sys.exit(0)
    time.sleep(0.005)
print("none")
sys.exit(1)
PY
}

# Differing A B X0 Y0 X1 Y1: how many pixels of the region differ between two screenshots by more
# than 8 levels in a channel.
Differing() {
  python3 - "$@" <<'PY'
import subprocess, sys
x0, y0, x1, y1 = (int(v) for v in sys.argv[3:7])
geometry = "%dx%d+%d+%d" % (x1 - x0, y1 - y0, x0, y0)
a, b = (subprocess.run(["convert", path, "-crop", geometry, "+repage", "-depth", "8", "rgb:-"],
                       capture_output=True, check=True).stdout for path in sys.argv[1:3])
print(sum(1 for i in range(0, len(a), 3) if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > 8))
PY
}

# Loudest WAV: the loudest 0.25 s window of a recording, in dBFS (-120 for digital silence).
Loudest() {
  python3 - "$1" <<'PY'
import array, math, sys, wave
w = wave.open(sys.argv[1])
samples = array.array('h', w.readframes(w.getnframes()))
window = w.getframerate() // 4 * w.getnchannels()
levels = [-120.0]
for at in range(0, len(samples) - window + 1, window):
    rms = math.sqrt(sum(s * s for s in samples[at:at + window]) / window) / 32768.0
    levels.append(20 * math.log10(rms) if rms > 0 else -120.0)
print("%.1f" % max(levels))
PY
}

# StampStill SECONDS: the frame stamp is the same before and after SECONDS, and the frame log saw
# no new stamp in between.
StampStill() {
  local first logged
  first=$(FrameNow) && logged=$(LoggedFrames | wc -l) || return 1
  sleep "$1"
  [[ $(FrameNow) == "$first" && $(LoggedFrames | wc -l) == "$logged" ]]
}

# StudioWindows: how many windows of the studio's process are on the screen; a box would be one.
StudioWindows() {
  xdotool search --onlyvisible --class "^${introXClass//./\\.}\$" 2>/dev/null | wc -l
}

# StripText FILE: "count minX minY maxX maxY" of the light neutral (text) pixels in the strip.
StripText() { ClassBox "$1" text $strip; }

# StillNamed: the still lies beside the shader, is the one printed, and is named by the paused
# loop time in whole milliseconds, nine digits.
StillNamed() {
  local ms
  ms=$(sed -n 's|^/out/htn_still_\([0-9]\{9\}\)ms\.png$|\1|p' <<<"$still")
  [[ -n $ms && $stillLine == *[\\/]"$(basename "$still")" ]] && Within $((10#$ms)) "$pausedAt" 1
}

# StillShowsScreen: it is the client area's size and holds what the screen shows there.
StillShowsScreen() {
  [[ -n $still && $(identify -format '%w %h' "$still") == "$width $height" ]] &&
    (($(Differing "$still" /out/client.png 0 0 "$width" "$height") < width * height / 100))
}
StartFrameLog
StartStudio --shader "$shader"
Require "the studio window appears" WaitFor 60 ProbeWindow
Require "a first frame is presented" WaitForFrame 1
Require "the studio window is found again" ProbeWindow
read -r left top right bottom <<<"${probe[client_on_screen]}"
width=$((right - left)) height=$((bottom - top))
echo "  client area $width x $height at ($left, $top)"
read -r screenWidth screenHeight <<<"$(ScreenSize)"
Require "it lies on the screen" eval "((left >= 0 && top >= 0 && right <= screenWidth && bottom <= screenHeight))"
# The heads-up display and the error lines stand in the strip at the top left; the rest of the
# client area is the scene.
strip="$left $top $right $((top + height / 5))"
scene="$left $((top + height / 5)) $right $bottom"

StartRecording playing
sleep 2
StopRecording
playingLevel=$(Loudest /out/playing.wav)

echo " paused"
# The fade-in has ended by 4 s, so the whole background is lit.
Require "the show reaches 4.5 s" WaitForFrame 4500
Require "Space reaches the studio" SendKey space
Require "the frame stamps stop" WaitFor 60 StampStill 1.5
pausedAt=$(FrameNow)
echo "  paused at $(Seconds "$pausedAt") s"
Shot /out/hud.png
read -r textHud _ <<<"$(StripText /out/hud.png)"
SendKey h
Expect "H takes the heads-up display away" WaitFor 30 eval \
  "Shot /out/before.png && read -r textBefore _ <<<\"\$(StripText /out/before.png)\" && ((textBefore + 50 < textHud))"
echo "  strip text pixels: $textHud with the heads-up display, $textBefore without"
windowsBefore=$(StudioWindows)

echo " a saved change"
lines=$(OutputLines)
seconds=$(SaveAndWatch "$changed" $scene)
echo "  the change shows $seconds s after the save"
Shot /out/changed.png
sceneChanged=$(Differing /out/before.png /out/changed.png $scene)
echo "  $sceneChanged of $((width * (height - height / 5))) scene pixels changed"
Expect "the saved change shows on the paused picture" test "$sceneChanged" -gt $((width * height / 5))
Expect 'the studio prints "compiled"' WaitFor 30 Printed "$lines" 'studio: shader .* compiled'
ExpectEqual "the frame stays the same" "$pausedAt" "${shotTo[/out/changed.png]}"

echo " a syntax error"
lines=$(OutputLines)
Save "$broken"
Expect 'the studio prints "failed:"' WaitFor 60 Printed "$lines" 'studio: shader .* failed: '
failedLine=$(tail -n +$((lines + 1)) "$studioOut" | tr -d '\r' | grep -m 1 'failed: ')
echo "  $failedLine"
# An error, not one of the warnings that come with it: Microsoft's compiler writes "error X3000:",
# Wine's "E5000:" (its warnings are "W5305:" and the like).
Expect "the line printed is an error" eval "grep -Eq ': (error X?[0-9]+|E[0-9]+):' <<<\"\$failedLine\""
Expect "the error shows in the strip" WaitFor 30 eval \
  "Shot /out/error.png && ((\$(Differing /out/changed.png /out/error.png $strip) > 50))"
read -r textError errorBox <<<"$(StripText /out/error.png)"
echo "  strip text pixels: $textBefore before, $textError with the error (box $errorBox)"
Expect "white text came into the strip" test "$textError" -gt $((textBefore + 100))
ExpectEqual "the scene keeps the last good picture" 0 "$(Differing /out/changed.png /out/error.png $scene)"
ExpectEqual "no box: the studio shows as many windows as before" "$windowsBefore" "$(StudioWindows)"
Expect "the studio runs on" IntroRunning

echo " the fix"
lines=$(OutputLines)
Save "$changed"
Expect 'the studio prints "compiled" again' WaitFor 60 Printed "$lines" 'studio: shader .* compiled'
Expect "the error goes: the picture is the one before it" WaitFor 30 eval \
  "Shot /out/fixed.png && ((\$(Differing /out/changed.png /out/fixed.png $left $top $right $bottom) == 0))"

echo " a still"
lines=$(OutputLines)
Require "F12 reaches the studio" SendKey F12
Expect 'the studio prints "still"' WaitFor 60 Printed "$lines" '^studio: still '
stillLine=$(tail -n +$((lines + 1)) "$studioOut" | tr -d '\r' | grep -m 1 '^studio: still ')
echo "  $stillLine"
still=$(find /out -maxdepth 1 -name 'htn_still_*ms.png' | head -n 1)
convert /out/fixed.png -crop "${width}x${height}+$left+$top" +repage /out/client.png

Expect "it lies beside the shader, named by the loop time" StillNamed
Expect "it holds the picture on the screen" StillShowsScreen

echo " still and silent"
StartRecording paused
Expect "the frame stamp holds for 3 s" StampStill 3
StopRecording
pausedLevel=$(Loudest /out/paused.wav)
echo "  loudest 0.25 s: $playingLevel dBFS playing, $pausedLevel dBFS paused"
Expect "the music plays before the pause" Less -35 "$playingLevel"
Expect "the sink is silent while paused" Less "$pausedLevel" -60

echo " seeks"
# SeekBy KEY MS: the key moves the paused stamp by MS (within a millisecond, the stamp being the
# loop time cut to whole milliseconds), once.
SeekBy() {
  local from to
  from=$(FrameNow)
  SendKey "$1"
  if ! WaitFor 30 eval "[[ \$(FrameNow) != '$from' ]]"; then
    Fail "$1 moves the loop time by $2 ms" "the stamp stayed at $from"
    return
  fi
  to=$(FrameNow)
  Expect "$1 moves the loop time by $2 ms ($from to $to)" Within $((to - from)) "$2" 1
  Expect "and it stays there" StampStill 0.5
}
SeekBy Right 1000
SeekBy shift+Right 10000
SeekBy period 16.667
SeekBy comma -16.667

if [[ -n ${HTN_STUDIO_SAVES:-} ]]; then
  echo " save to screen, $HTN_STUDIO_SAVES saves"
  times=()
  for ((save = 1; save <= HTN_STUDIO_SAVES; save++)); do
    text=$changed
    ((save % 2 == 0)) || text=$original
    times+=("$(SaveAndWatch "$text" $scene)")
  done
  echo "  save to screen: ${times[*]} s"
  printf '%s\n' "${times[@]}" | grep -v none | sort -n |
    awk '{ v[NR] = $1 } END { if (NR) printf "  median %.2f s of %d saves shown\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, NR }'
fi

echo " Q"
# Q destroys the window on its key-down, so xdotool's key-up may meet a window that is gone (BadWindow):
# whether Q got through is judged by the end that follows.
SendKey q || true
Expect "the studio ends" WaitForExit 30
ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
Expect "no crash" eval '! IntroCrashed'
Finish
