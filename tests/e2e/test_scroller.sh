#!/bin/bash
# screen: 1920x1080x24
# The scroller on a 1920x1080 screen: from 5 s its light text enters from the right in a band
# about the screen's vertical middle and moves left; at the first marked segment it holds still
# (while its wave runs on) with "HITTEN PRODUCTION" centred on the screen.
#
# At this size the segment, about 890 mask pixels wide, fits on the 960-pixel offscreen picture
# with a word gap to spare on either side. Its stop point, 1976 mask pixels with Liberation Sans
# Bold (Wine's stand-in for Segoe UI Black), reaches the centre when the scroll, which starts at
# 5.0 s from -960 and moves at 120 px/s, has gone 1976 - 480 + 960 pixels: at 25.47 s, for 1.25 s.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

Require "a 1920x1080 screen" ScreenIs 1920x1080
read -r width height <<<"$(ScreenSize)"
# The band is 128 offscreen rows plus the wave's 16 either way and the shadow's 6 below, shown
# twice as high.
band="0 $((height / 2 - 190)) $width $((height / 2 + 190))"
aboveBand="0 0 $width $((height / 2 - 190))"
belowBand="0 $((height / 2 + 190)) $width $((height - 60))"
StartIntroSilenced
StartFrameLog
Require "the sound warning is dismissed" DismissSoundWarning 120

Require "the show reaches 6 s" WaitForLoopTime 6000
Shot /out/at6.png
Require "the show reaches 9 s" WaitForLoopTime 9000
Shot /out/at9.png

# Shots of the band through the expected pause, as fast as they come (uncompressed, cropped),
# until one surely shows a frame after it.
Require "the show reaches 25 s" WaitForFrame 25000
pauseShots=()
for shot in $(seq 1 60); do
  file=/out/pause$shot.ppm
  Shot "$file" -crop "${width}x380+0+$((height / 2 - 190))" +repage || break
  pauseShots+=("$file")
  ((shotFrom[$file] < 27600)) || break
done
PostClose
Expect "the intro closes" WaitForExit 30
Expect "no crash" eval '! IntroCrashed'

echo " entering and moving"
declare -A leftEnd=()
for at in 6 9; do
  file=/out/at$at.png
  read -r count minX minY maxX maxY <<<"$(ClassBox "$file" text $band)"
  read -r above _ <<<"$(ClassBox "$file" text $aboveBand)"
  read -r below _ <<<"$(ClassBox "$file" text $belowBand)"
  echo "  from $at s (loop time $(Seconds "${shotFrom[$file]}")..$(Seconds "${shotTo[$file]}") s): $count text pixels in the band, x $minX..$maxX, y $minY..$maxY; $above above it, $below below"
  Expect "from $at s the band holds text" test "$count" -ge 300
  Expect "from $at s no text outside the band" test $((above + below)) -le 20
  leftEnd[$at]=$minX
done
# Shown twice as wide, the text moves 240 screen pixels a second from the right edge at 5 s: by
# loop time t its left end can be no further left than width - 240 (t - 5).
Expect "the text has entered from the right" AtLeast "${leftEnd[6]}" $((width - 240 * (shotTo[/out/at6.png] - 5000) / 1000))
moved=$((leftEnd[6] - leftEnd[9]))
least=$((240 * (shotFrom[/out/at9.png] - shotTo[/out/at6.png]) / 1000))
most=$((240 * (shotTo[/out/at9.png] - shotFrom[/out/at6.png]) / 1000))
echo "  the text's left end moved $moved px between the shots ($least..$most at 240 px/s over their loop times)"
Expect "it moves left at 120 offscreen pixels a second" eval "((moved >= least - 8 && moved <= most + 8))"

# BandRuns FILE: the runs of columns holding text in a band shot, closing gaps narrower than a
# word space.
croppedBand="0 0 $width 380"
BandRuns() { ColumnRuns "$1" text 30 $croppedBand; }

echo " the first pause"
paused=
previous=
# Two shots in a row that surely show frames within the pause (from 25.47 s, for 1.25 s) can see it.
withinPause=0
for file in "${pauseShots[@]}"; do
  # Shots come faster than frames: the same frame seen again tells nothing new.
  [[ -n $previous ]] && cmp -s "$previous" "$file" && continue
  runs=$(BandRuns "$file")
  echo "  $(basename "$file") (loop time $(Seconds "${shotFrom[$file]}")..$(Seconds "${shotTo[$file]}") s): $runs"
  if [[ -n $previous ]] && ((shotFrom[$previous] >= 25470 && shotTo[$file] <= 26720)); then
    withinPause=1
  fi
  if [[ -n $previous && $runs == "$previousRuns" ]]; then
    read -r _ _ differ union <<<"$(CompareMasks "$previous" "$file" text $croppedBand)"
    # The same columns but a moved wave: a pause.
    if AtLeast "$(Ratio "$differ" "$union")" 0.05; then paused=$file; break; fi
  fi
  previous=$file previousRuns=$runs
done
if [[ -z $paused ]] && ((withinPause == 0)); then
  # On a machine this slow the shots come further apart than the pause lasts.
  Skip "the text holds still while its wave runs on" "no two shots in a row surely show frames within the pause"
  Skip "the segment is centred on the screen" "no shot of the pause"
  Finish
fi
Require "the text holds still while its wave runs on" test -n "$paused"
echo "  paused in $(basename "$paused")"
for file in "${pauseShots[@]}"; do
  [[ $file == "$paused" ]] && convert "$file" "${file%.ppm}.png"
  rm -f "$file"
done
paused=${paused%.ppm}.png

# Words cut by the screen's edges belong to the neighbouring text; what lies between is the segment.
words=()
for run in $(BandRuns "$paused"); do
  start=${run%-*} end=${run#*-}
  ((start <= 2 || end >= width - 3)) || words+=("$run")
done
echo "  whole words on the screen: ${words[*]}"
ExpectEqual "two whole words, HITTEN and PRODUCTION" 2 "${#words[@]}"
if ((${#words[@]} == 2)); then
  first=${words[0]} second=${words[1]}
  segmentStart=${first%-*} segmentEnd=${second#*-}
  middle=$(((segmentStart + segmentEnd) / 2))
  wordRatio=$(Ratio $((${first#*-} - ${first%-*})) $((${second#*-} - ${second%-*})))
  echo "  segment x $segmentStart..$segmentEnd, its middle at $middle (screen centre $((width / 2))); first word / second word width $wordRatio (about 0.53)"
  Expect "the segment is centred on the screen" Within "$middle" $((width / 2)) 12
  Expect "its words are HITTEN and PRODUCTION by their widths" Within "$wordRatio" 0.53 0.08
fi
Finish
