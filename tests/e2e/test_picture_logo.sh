#!/bin/bash
# screen: 960x540x24
# The logo and the end card's letters: at 4.5 s the plasma-coloured logo covers the middle of the
# screen, where the background alone would be a dim blue; after Escape the six letters of HITTEN
# spin, then stand still in one row (from 3.8 s after Escape only their colours drift) where the
# end card's layout puts them. A show too slow to be shot within those spans is not judged there.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

Require "a 960x540 screen" ScreenIs 960x540
read -r width height <<<"$(ScreenSize)"
StartIntroSilenced
StartFrameLog
Require "the sound warning is dismissed" DismissSoundWarning 120

Require "the show reaches 4.5 s" WaitForLoopTime 4500
Shot /out/logo.png

Require "Escape reaches the intro" SendKey Escape
Require "it takes effect" WaitFor 60 EscapeFrame
escapeMs=$(EscapeFrame)
# Turning letters, as fast as shots come, from 0.6 s after Escape, when the card has faded in,
# until a shot can no longer show one turning. Then the letters at rest, from 3.8 s after Escape
# (the margin covers a frame), twice 0.8 s apart.
spinning=()
if WaitForLoopTime $((escapeMs + 600)); then
  for shot in $(seq 1 8); do
    file=/out/spinning$shot.png
    Shot "$file" && ((shotFrom[$file] < escapeMs + 3800)) || break
    spinning+=("$file")
  done
fi
WaitForLoopTime $((escapeMs + 4200)) && Shot /out/rest1.png &&
  WaitForLoopTime $((shotTo[/out/rest1.png] + 800)) && Shot /out/rest2.png && resting=1
PostClose
Expect "the intro closes" WaitForExit 30
Expect "no crash" eval '! IntroCrashed'

echo " the logo from 4.5 s (loop time $(Seconds "${shotFrom[/out/logo.png]}")..$(Seconds "${shotTo[/out/logo.png]}") s)"
radius=$((height / 4))
read -r colourShare colourPixels <<<"$(ShareOfClass /out/logo.png colour "$radius")"
echo "  plasma-coloured pixels within $radius px of the centre: $colourShare of $colourPixels (background alone: none)"
Expect "the logo covers the middle in strong colours" AtLeast "$colourShare" 0.2

echo " the end card's letters"
if [[ -z ${resting:-} ]] && TooFewFrames $((escapeMs + 4200)) $((escapeMs + 10000)) 2; then
  Skip "the letters at rest" "too few frames between 4.2 s after Escape and the close to judge them"
elif [[ -z ${resting:-} ]]; then
  Fail "shots of the letters at rest"
else
  topHalf="0 0 $width $((height / 2))"
  read -r restA restB restDiffer restUnion <<<"$(CompareMasks /out/rest1.png /out/rest2.png lit $topHalf)"
  restChange=$(Ratio "$restDiffer" "$restUnion")
  echo "  letter pixels at rest ($(ShownAfterEscape /out/rest1.png), then $(ShownAfterEscape /out/rest2.png) s after Escape): $restA, then $restB; $restDiffer of $restUnion differ ($restChange)"
  Expect "the letters are on the card" test "$restA" -ge 2000
  Expect "they stand still from 3.8 s after Escape" Less "$restChange" 0.03

  largestSpinChange=0
  for file in "${spinning[@]}"; do
    read -r _ _ differ union <<<"$(CompareMasks "$file" /out/rest1.png lit $topHalf)"
    change=$(Ratio "$differ" "$union")
    echo "  $(ShownAfterEscape "$file") s after Escape, against rest: $differ of $union letter pixels differ ($change)"
    Less "$change" "$largestSpinChange" || largestSpinChange=$change
  done
  if ((${#spinning[@]} == 0)) && TooFewFrames $((escapeMs + 600)) $((escapeMs + 3800)) 1; then
    Skip "before that they were turning" "too few frames between 0.6 and 3.8 s after Escape to see them turn"
  else
    Expect "before that they were turning" AtLeast "$largestSpinChange" 0.2
  fi

  # A world point (X, Y, 0) shows at x = 0.5 resX + X / 2.4 resY, y = 0.5 resY - Y / 2.4 resY, with
  # res the half client size. The row spans X from -0.31 (the H's left post) to 4.48 (the end of the
  # N's diagonal) and Y from -0.39 to 0.72 (the N's diagonal; the other letters reach -0.34 to 0.66),
  # the front faces 1.2 % larger.
  read -r count minX minY maxX maxY <<<"$(ClassBox /out/rest1.png lit $topHalf)"
  expected=$(awk -v w="$width" -v h="$height" 'BEGIN {
    rx = w / 2; ry = h / 2; k = 1.0117 * ry / 2.4
    printf "%.0f %.0f %.0f %.0f", rx / 2 - 0.31 * k, ry / 2 - 0.72 * k, rx / 2 + 4.48 * k, ry / 2 + 0.39 * k }')
  read -r wantMinX wantMinY wantMaxX wantMaxY <<<"$expected"
  echo "  row of letters: x $minX..$maxX, y $minY..$maxY (expected about x $wantMinX..$wantMaxX, y $wantMinY..$wantMaxY)"
  tolerance=$((width / 50))
  Expect "the row starts where the layout puts the H" Within "$minX" "$wantMinX" "$tolerance"
  Expect "the row ends where the layout puts the N" Within "$maxX" "$wantMaxX" "$tolerance"
  Expect "the letters' tops are where the layout puts them" Within "$minY" "$wantMinY" "$tolerance"
  Expect "the letters' feet are where the layout puts them" Within "$maxY" "$wantMaxY" "$tolerance"

  # Across the letters' middle rows they stand apart; higher up and lower down the ends of the N's
  # diagonal reach almost to the E.
  middleRows="0 $((minY + (maxY - minY) * 2 / 5)) $width $((minY + (maxY - minY) * 3 / 5))"
  runs=$(ColumnRuns /out/rest1.png lit 3 $middleRows)
  read -r -a letters <<<"$runs"
  echo "  letter columns across the middle rows: $runs"
  ExpectEqual "six letters side by side" 6 "${#letters[@]}"
fi
Finish
