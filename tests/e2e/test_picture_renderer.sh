#!/bin/bash
# screen: 960x540x24
# What the renderer puts on the screen over the show: black until the fade-in begins at 2.5 s,
# then a dark blue glow that is brightest in the middle; the white signature "dorv" 8 px from the
# left with its top 24 px above the bottom, over every picture; after Escape the end card's dark
# top and flat brown lower half, until the window closes itself with exit code 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

Require "a 960x540 screen" ScreenIs 960x540
read -r width height <<<"$(ScreenSize)"
signatureRegion=$(SignatureRegion "$width" "$height")
StartIntroClocked

# Frames shown while the loop time is surely below 2.5 s. Before its first Present the window is
# plain white, so those shots are skipped.
early=()
for shot in $(seq 1 40); do
  Screenshot "early$shot" >/dev/null
  atMost=$(LoopTimeAtMost)
  Less "$atMost" 2.4 || break
  if Presented "/out/early$shot.png"; then
    early+=("/out/early$shot.png")
    lastEarly=$atMost
    ((${#early[@]} < 8)) || break
  fi
done
echo "  ${#early[@]} presented frames captured, the last before loop time ${lastEarly:-?} s"
Require "frames from before 2.5 s of loop time are captured" test "${#early[@]}" -gt 0

# The glow, from 4.0 s on; several moments, so that the tumbling logo leaves some background free
# near the centre.
WaitForLoopTime 4.5
for shot in 1 2 3; do
  Screenshot "glow$shot" >/dev/null
  sleep 0.4
done

Require "Escape reaches the intro" SendKey Escape
escapeAt=$(Now)
Require "the end card comes up" WaitForEndCard
# It has faded in fully 0.6 s after Escape.
WaitSince "$endSeenAt" 0.9
Screenshot end1 >/dev/null
Screenshot end2 >/dev/null

Expect "the window closes by itself after Escape" WaitForExit 20
echo "  closed $(Since "$escapeAt") s after Escape was sent"
ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
Expect "no crash" eval '! IntroCrashed'

echo " before 2.5 s"
signed=
for file in "${early[@]}"; do
  brightest=$(Brightest "$file" $signatureRegion)
  echo "  $(basename "$file"): brightest channel outside the signature corner $brightest"
  Expect "black before 2.5 s ($(basename "$file"))" test "$brightest" -le 2
  read -r inkCount _ <<<"$(ClassBox "$file" ink $signatureRegion)"
  [[ -n $signed || $inkCount -lt 20 ]] || signed=$file
done
CheckSignature "${signed:-${early[0]}}" "$width" "$height" "over the black picture"

echo " from 4.0 s"
read -r centreN centreR centreG centreB edgeN edgeR edgeG edgeB <<<"$(GlowStats /out/glow1.png /out/glow2.png /out/glow3.png)"
echo "  free background within 0.3 heights of the centre: $centreN pixels, mean ($centreR, $centreG, $centreB)"
echo "  free background beyond 0.7 heights: $edgeN pixels, mean ($edgeR, $edgeG, $edgeB)"
echo "  (the glow's blue is 25 at the centre, 15.5 at 0.3 heights, 4.9 from 0.625 heights out)"
Expect "background found near the centre" test "$centreN" -ge 200
Expect "background found near the edges" test "$edgeN" -ge 200
Expect "the glow shows near the centre" AtLeast "$centreB" 14
Expect "it is dim near the edges" Less "$edgeB" 8
Expect "it is brightest in the middle" AtLeast "$(Ratio "$centreB" "$edgeB")" 2
Expect "it is dark blue (g / b about 0.5)" Within "$(Ratio "$centreG" "$centreB")" 0.5 0.08
Expect "it is dark blue (r / b about 0.25)" Within "$(Ratio "$centreR" "$centreB")" 0.25 0.08

echo " after Escape"
read -r topShare _ <<<"$(ShareNear /out/end1.png 5 5 8 2 0 0 "$width" $((height * 7 / 100)))"
read -r lowShare lowPixels <<<"$(ShareNear /out/end1.png 26 15 8 2 0 $((height / 2)) "$width" "$height" $signatureRegion)"
echo "  top 7 %: share near (5, 5, 8) $topShare; lower half: share near (26, 15, 8) $lowShare of $lowPixels pixels"
Expect "the end card's top is dark" AtLeast "$topShare" 0.999
Expect "its lower half is flat brown" AtLeast "$lowShare" 0.999
read -r inkCount _ <<<"$(ClassBox /out/end1.png ink $signatureRegion)"
if ((inkCount >= 20)); then signed=/out/end1.png; else signed=/out/end2.png; fi
CheckSignature "$signed" "$width" "$height" "over the end card"
Finish
