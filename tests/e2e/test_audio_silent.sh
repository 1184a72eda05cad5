#!/bin/bash
# Without XAudio2, and without Media Foundation (as on Windows editions that lack it), the intro
# warns once in a "Lyd" box and, once it is dismissed, runs silently and exits with code 0.
source "$(dirname "$0")/lib.sh"

# LoudestLevel WAV: the loudest 0.25 s window of the recording, in dBFS.
LoudestLevel() {
  python3 - "$1" <<'PY'
import array, math, sys, wave
w = wave.open(sys.argv[1])
rate, channels = w.getframerate(), w.getnchannels()
samples = array.array('h', w.readframes(w.getnframes()))
window = rate // 4
levels = [-120.0]
for frame in range(0, len(samples) // channels - window + 1, window):
    chunk = samples[frame * channels:(frame + window) * channels]
    rms = math.sqrt(sum(s * s for s in chunk) / len(chunk)) / 32768.0
    levels.append(20 * math.log10(rms) if rms > 0 else -120.0)
print("%.1f %d" % (max(levels), len(levels) - 1))
PY
}

# SilentShow NAME WHAT OVERRIDES: one run with those DLLs taken away, recorded into NAME.wav.
SilentShow() {
  local loudest windows
  echo " without $2"
  StartRecording "$1"
  StartIntro "$3"
  Require 'a "Lyd" box appears' WaitForMessageBox Lyd 120
  Require "it is dismissed" DismissSoundWarning 30
  Expect "no second box follows" eval '! WaitFor 3 FindXWindowByName "^(Lyd|Error)$"'
  Expect "the show runs on to 4 s" WaitFor 120 eval 'ReadProbe frame && ((probe[frame_ms] >= 4000))'
  PostClose
  Expect "it closes" WaitForExit 30
  ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
  Expect "no crash" eval '! IntroCrashed'
  StopRecording

  read -r loudest windows <<<"$(LoudestLevel "/out/$1.wav")"
  echo "  loudest of $windows quarter-second windows: $loudest dBFS"
  Expect "the recording covers the run" test "${windows:-0}" -ge 20
  Expect "nothing was heard" awk -v a="$loudest" 'BEGIN { exit !(a < -60) }'
}

SilentShow no-xaudio2 XAudio2 "xaudio2_9="
SilentShow no-media-foundation "Media Foundation" "mfplat=d;mfreadwrite=d"
Finish
