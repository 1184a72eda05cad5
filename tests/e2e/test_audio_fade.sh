#!/bin/bash
# The music plays from start-up; after Escape it falls to silence within about a second, as a ramp
# rather than in a few steps, and stays silent until the window closes ten seconds later.
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

# FadeGains TRACK_WAV FADE_WAV ESCAPE: the gain heard in each 100 ms window of the second the fade
# lasts (the fade recording's level over the track recording's level at the same place in the
# track), and whether the recording of that second was disturbed. A stream that falls behind
# leaves a gap of silence in the sink, after which its sound carries on (or, on a very busy
# machine, skips ahead), so the gaps are cut out of both recordings first. The fade ends where the
# fade recording's sound ends. The recordings are lined up by cross-correlation, of their 10 ms
# levels over the 2.5 s before the fade at every shift and then of their samples near the best
# one, and again near that for every window. Prints the seconds from ESCAPE to the fade's end, 1 when
# a gap fell into the fade, and the ten gains; or "unaligned" and the best correlation.
FadeGains() {
  python3 - "$@" <<'PY'
import array, math, sys, wave

def mono(path):
    w = wave.open(path)
    rate, channels = w.getframerate(), w.getnchannels()
    samples = array.array('h', w.readframes(w.getnframes()))
    return [sum(samples[i:i + channels]) / channels for i in range(0, len(samples), channels)], rate

def without_gaps(signal, shortest):
    # The signal without its runs of at least `shortest` exact zeros between its first and last
    # sound, and where (in the signal) and how long those runs were.
    sounding = [i for i, s in enumerate(signal) if s]
    first, last = (sounding[0], sounding[-1]) if sounding else (0, 0)
    kept, cuts, i = [], [], 0
    while i < len(signal):
        j = i
        while j < last and signal[j] == 0:
            j += 1
        if i > first and j - i >= shortest:
            cuts.append((i, j - i))
        else:
            kept.extend(signal[i:max(j, i + 1)])
        i = max(j, i + 1)
    return kept, cuts

def uncut(position, cuts):
    # Where a position of the cut signal lies in the recording.
    for at, length in cuts:
        if at <= position:
            position += length
    return position

track, rate = mono(sys.argv[1])
fade, fadeRate = mono(sys.argv[2])
assert rate == fadeRate
track, _ = without_gaps(track, rate // 1000)
fade, cuts = without_gaps(fade, rate // 1000)
escape = int(float(sys.argv[3]) * rate)

def correlation(a, b):
    meanA, meanB = sum(a) / len(a), sum(b) / len(b)
    a = [x - meanA for x in a]
    b = [x - meanB for x in b]
    energy = math.sqrt(sum(x * x for x in a) * sum(x * x for x in b))
    return sum(x * y for x, y in zip(a, b)) / energy if energy > 0 else 0.0

def rms(signal, start, length):
    chunk = signal[max(start, 0):start + length]
    return math.sqrt(sum(x * x for x in chunk) / len(chunk)) if chunk else 0.0

def levels(signal, start, count, step):
    return [rms(signal, start + i * step, step) for i in range(count)]

def decimated(signal, start, count, factor=8):
    return [sum(signal[start + i * factor:start + (i + 1) * factor]) for i in range(count)]

def best_shift(start, length, around, reach, factor=8):
    # The shift of the track recording, within reach samples of around, whose samples from
    # start + shift on best match the fade recording's from start on (at a rate divided by factor).
    count, steps = length // factor, reach // factor
    a = decimated(fade, start, count, factor)
    b = decimated(track, start + around - steps * factor, count + 2 * steps, factor)
    scores = [correlation(a, b[lag:lag + count]) for lag in range(len(b) - count + 1)]
    if not scores:
        return around, 0.0
    lag = max(range(len(scores)), key=scores.__getitem__)
    return around + (lag - steps) * factor, scores[lag]

window = rate // 10
end = max(i for i, s in enumerate(fade) if s) + 1
fadeStart = end - rate
step = rate // 100
start = fadeStart - int(2.8 * rate)
count = int(2.5 * rate) // step
trackLevels = levels(track, 0, len(track) // step, step)
if start < 0 or len(trackLevels) <= count:
    print("unaligned 0")
    sys.exit(0)
piece = levels(fade, start, count, step)
scores = [correlation(piece, trackLevels[i:i + count]) for i in range(len(trackLevels) - count)]
best = max(range(len(scores)), key=scores.__getitem__)
# The best fit of five 100 ms pieces before the fade: one may hold a gap the cut did not mend.
score, shift = max((fit, shift) for shift, fit in
                   (best_shift(fadeStart - k * 3 * window, window, best * step - start, rate * 3 // 20)
                    for k in range(1, 6)))
if score < 0.9:
    print("unaligned %.2f" % score)
    sys.exit(0)

gains = []
for k in range(10):
    at = fadeStart + k * window
    local, _ = best_shift(at, window, shift, rate * 3 // 20)
    reference = rms(track, at + local, window)
    gains.append(rms(fade, at, window) / reference if reference > 0 else 0.0)
# The fade's last 150 ms is quiet enough to hold runs of zeros of its own.
since, until = uncut(fadeStart, cuts) - window, uncut(end, cuts) - int(0.15 * rate)
disturbed = any(since <= at <= until for at, _ in cuts)
print("%.2f %d %s" % ((uncut(end, cuts) - escape) / rate, disturbed, " ".join("%.3f" % g for g in gains)))
PY
}

# FallingValues GAINS...: how many distinct values the gains fall through, each window counting
# as a new one when it lies at least 0.02 below the window before it.
FallingValues() {
  awk 'BEGIN { n = 1; for (i = 2; i < ARGC; i++) if (ARGV[i] <= ARGV[i - 1] - 0.02) n++; print n }' "$@"
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

RecordingLength() {
  python3 -c 'import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes() / w.getframerate())' "$1"
}

# The music starts right after the window goes full screen (the renderer is ready by then).
FullScreenNow() { ProbeWindow && [[ ${probe[popup]} == 1 ]]; }

# ShowAt MS: a frame at or after loop time MS has been presented. The loop time runs from just after
# the music starts; frames may stall for seconds after the first ones.
ShowAt() { ReadProbe frame && ((probe[frame_ms] >= $1)); }

# First the track as it plays unfaded, the measure of the fade's gain: a run closed without Escape.
StartRecording track
StartIntro
Require "the intro window appears" WaitForIntroWindow 30
Require "it goes full screen" WaitFor 60 FullScreenNow
Require "the show reaches 12 s" WaitFor 120 ShowAt 12000
PostClose
Require "the unfaded run closes" WaitForExit 20
StopRecording

# FadeRun: a run with Escape, recorded into /out/fade.wav; sets escape, fullScreen and closed,
# their places in the recording.
FadeRun() {
  StartRecording fade
  StartIntro
  Require "the intro window appears again" WaitForIntroWindow 30
  Expect 'no "Lyd" box' eval '! WaitForMessageBox Lyd 3'
  Require "it goes full screen again" WaitFor 60 FullScreenNow
  local fullScreenAt escapeAt exitAt
  fullScreenAt=$(Now)
  Require "the show reaches 4.5 s" WaitFor 120 ShowAt 4500
  # The music is judged from 2.5 s after the full screen was seen until 0.3 s before Escape, and a
  # busy machine may see the full screen late: Escape also waits until 4.5 s after that moment.
  sleep "$(awk -v since="$fullScreenAt" -v now="$(Now)" 'BEGIN { d = since + 4.5 - now; print (d > 0 ? d : 0) }')"
  escapeAt=$(Now)
  Require "Escape reaches the intro" SendKey Escape
  Require "the intro closes after the end card" WaitForExit 20
  exitAt=$(Now)
  ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
  Expect "no crash" eval '! IntroCrashed'
  stopAt=$(awk -v t="$(Now)" 'BEGIN { printf "%.3f\n", t + 1 }')
  StopRecording
  recordLength=$(RecordingLength /out/fade.wav)
  fullScreen=$(PositionOf "$fullScreenAt")
  escape=$(PositionOf "$escapeAt")
  closed=$(PositionOf "$exitAt")
}

# A stall of the sound during the fade blurs its measure, so a stalled run is made again, up to
# three times; the last one is judged. A stall can split a step of a stepped fade in two, not
# make a ramp of it.
for attempt in 1 2 3; do
  FadeRun
  read -r fadeEnds disturbed gains <<<"$(FadeGains /out/track.wav /out/fade.wav "$escape")"
  [[ $disturbed == 1 ]] || break
  echo "  the sound stalled during the fade of run $attempt (a busy machine)"
done

read -r playingLow playingHigh <<<"$(LevelRange /out/fade.wav "$(Add "$fullScreen" 2.5)" "$(Add "$escape" -0.3)")"
read -r fadedLow fadedHigh <<<"$(LevelRange /out/fade.wav "$(Add "$escape" 1.5)" "$(Add "$closed" -0.3)")"
echo "  levels from start-up to Escape: $playingLow..$playingHigh dBFS; from 1.5 s after Escape to the close: $fadedLow..$fadedHigh dBFS"
silentAfter=$(SilentAfter /out/fade.wav "$escape")
echo "  silent $silentAfter s after Escape (key delivery and recording alignment included)"
Expect "music is audible from start-up to Escape" Below -35 "$playingLow"
Expect "silent within about a second of Escape" Below "$silentAfter" 1.6
Expect "silence from 1.5 s after Escape until the close" Below "$fadedHigh" -60

echo "  the fade ends $fadeEnds s after Escape; gain heard per 100 ms before: $gains"
# shellcheck disable=SC2086 # one argument per gain
falling=$(FallingValues $gains)
Expect "the two runs line up" Below -1 "$fadeEnds"
Expect "the gain falls through at least 8 values in the second of the fade ($falling)" test "${falling:-0}" -ge 8
Finish
