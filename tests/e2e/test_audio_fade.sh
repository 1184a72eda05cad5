#!/bin/bash
# The music plays from start-up; after Escape it falls to silence within about a second and stays
# silent until the window closes ten seconds later.
source "$(dirname "$0")/lib.sh"

Now() { date +%s.%N; }

# LevelRange WAV FROM TO: the quietest and loudest 0.25 s window, in dBFS, between FROM and TO
# seconds into the recording.
LevelRange() {
  python3 - "$@" <<'PY'
import array, math, sys, wave
path, start, end = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
w = wave.open(path)
rate, channels = w.getframerate(), w.getnchannels()
samples = array.array('h', w.readframes(w.getnframes()))
window = rate // 4
levels = []
frame = int(start * rate)
while frame + window <= min(int(end * rate), len(samples) // channels):
    chunk = samples[frame * channels:(frame + window) * channels]
    rms = math.sqrt(sum(s * s for s in chunk) / len(chunk)) / 32768.0
    levels.append(20 * math.log10(rms) if rms > 0 else -120.0)
    frame += window
print("%.1f %.1f" % (min(levels), max(levels)) if levels else "none")
PY
}

Add() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", a + b }'; }

# SilentAfter WAV FROM: seconds from FROM to the start of the first 50 ms window below -60 dBFS.
SilentAfter() {
  python3 - "$@" <<'PY'
import array, math, sys, wave
w = wave.open(sys.argv[1])
rate, channels = w.getframerate(), w.getnchannels()
samples = array.array('h', w.readframes(w.getnframes()))
window = rate // 20
frame = int(float(sys.argv[2]) * rate)
while frame + window <= len(samples) // channels:
    chunk = samples[frame * channels:(frame + window) * channels]
    if math.sqrt(sum(s * s for s in chunk) / len(chunk)) < 32768 * 10 ** (-60 / 20):
        break
    frame += window
print("%.2f" % (frame / rate - float(sys.argv[2])))
PY
}

# Below A B: A < B, both numbers (a missing level never passes).
Below() {
  [[ $1 =~ ^-?[0-9.]+$ && $2 =~ ^-?[0-9.]+$ ]] || return 1
  awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'
}

# Recording positions are found from its end: parec may begin late, but it stops when told to.
PositionOf() {
  awk -v t="$1" -v stop="$stopAt" -v total="$recordLength" 'BEGIN { printf "%.3f\n", total - (stop - t) }'
}

StartRecording fade
StartIntro
Require "the intro window appears" WaitForIntroWindow 30
windowAt=$(Now)
Expect 'no "Lyd" box' eval '! WaitForMessageBox Lyd 3'
sleep 5
escapeAt=$(Now)
Require "Escape reaches the intro" SendKey Escape
Require "the intro closes after the end card" WaitForExit 20
exitAt=$(Now)
ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
Expect "no crash" eval '! IntroCrashed'
stopAt=$(awk -v t="$(Now)" 'BEGIN { printf "%.3f\n", t + 1 }')
StopRecording
recordLength=$(python3 -c 'import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes() / w.getframerate())' /out/fade.wav)

window=$(PositionOf "$windowAt")
escape=$(PositionOf "$escapeAt")
closed=$(PositionOf "$exitAt")
read -r playingLow playingHigh <<<"$(LevelRange /out/fade.wav "$(Add "$window" 2)" "$(Add "$escape" -0.3)")"
read -r fadedLow fadedHigh <<<"$(LevelRange /out/fade.wav "$(Add "$escape" 1.5)" "$(Add "$closed" -0.3)")"
echo "  levels from start-up to Escape: $playingLow..$playingHigh dBFS; from 1.5 s after Escape to the close: $fadedLow..$fadedHigh dBFS"
silentAfter=$(SilentAfter /out/fade.wav "$escape")
echo "  silent $silentAfter s after Escape (key delivery and recording alignment included)"
Expect "music is audible from start-up to Escape" Below -35 "$playingLow"
Expect "silent within about a second of Escape" Below "$silentAfter" 1.6
Expect "silence from 1.5 s after Escape until the close" Below "$fadedHigh" -60
Finish
