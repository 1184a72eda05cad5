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
StartIntroClocked

WaitForLoopTime 6.0
Screenshot at6 >/dev/null
WaitForLoopTime 9.0
Screenshot at9 >/dev/null

# Shots of the band through the expected pause, as fast as they come (uncompressed, cropped), each
# with the loop time it was taken in.
WaitForLoopTime 25.0
pauseShots=()
declare -A shotTimes=()
for shot in $(seq 1 30); do
  from=$(Since "$goneAt")
  import -window root -crop "${width}x380+0+$((height / 2 - 190))" +repage "/out/pause$shot.ppm"
  pauseShots+=("/out/pause$shot.ppm")
  shotTimes[/out/pause$shot.ppm]="$from..$(LoopTimeAtMost)"
  Less "${shotTimes[/out/pause$shot.ppm]#*..}" 27.6 || break
done
PostClose
Expect "the intro closes" WaitForExit 10
Expect "no crash" eval '! IntroCrashed'

echo " entering and moving"
declare -A leftEnd=()
for at in 6 9; do
  read -r count minX minY maxX maxY <<<"$(ClassBox "/out/at$at.png" text $band)"
  read -r above _ <<<"$(ClassBox "/out/at$at.png" text $aboveBand)"
  read -r below _ <<<"$(ClassBox "/out/at$at.png" text $belowBand)"
  echo "  at $at s: $count text pixels in the band, x $minX..$maxX, y $minY..$maxY; $above above it, $below below"
  Expect "at $at s the band holds text" test "$count" -ge 300
  Expect "at $at s no text outside the band" test $((above + below)) -le 20
  leftEnd[$at]=$minX
done
Expect "at 6 s the text has only entered on the right" AtLeast "${leftEnd[6]}" $((width * 3 / 4))
moved=$((leftEnd[6] - leftEnd[9]))
echo "  the text's left end moved $moved px from 6 s to 9 s (720 at 120 px/s)"
Expect "by 9 s it has moved left" test "$moved" -ge 360

# BandRuns FILE: the runs of columns holding text in a band shot, closing gaps narrower than a
# word space.
croppedBand="0 0 $width 380"
BandRuns() { ColumnRuns "$1" text 30 $croppedBand; }

echo " the first pause"
paused=
previous=
for file in "${pauseShots[@]}"; do
  runs=$(BandRuns "$file")
  echo "  $(basename "$file") (loop time ${shotTimes[$file]} s): $runs"
  if [[ -z $paused && -n $previous && $runs == "$previousRuns" ]]; then
    read -r _ _ differ union <<<"$(CompareMasks "$previous" "$file" text $croppedBand)"
    # The same columns but a moved wave: a pause, not merely the same frame seen twice.
    if AtLeast "$(Ratio "$differ" "$union")" 0.05; then paused=$file; fi
  fi
  previous=$file previousRuns=$runs
done
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
