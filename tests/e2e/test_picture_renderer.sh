#!/bin/bash
# screen: 960x540x24
# What the renderer puts on the screen over the show: nothing white from launch to the first frame,
# behind the "Lyd" box either; black until the fade-in begins at 2.5 s, then a dark blue glow that
# is brightest in the middle; the white signature "dorv" 8 px from the left with its top 24 px
# above the bottom, in every presented picture; after Escape the end card's dark top and flat
# brown lower half, until the window closes itself 10 s after the first Escape, with exit code 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

Require "a 960x540 screen" ScreenIs 960x540
read -r width height <<<"$(ScreenSize)"
signatureRegion=$(SignatureRegion "$width" "$height")

# Shots from launch, as fast as they come, until a frame has been presented; the "Lyd" box comes
# up before the first one and is dismissed once two shots hold it. A shot is kept when no frame had
# been presented by the time it was taken, with a region left out of it: the box's while it is up;
# once it is gone, the signature's corner, as the first frame may be stamped 0 (a loop time under
# 1 ms) and "dorv" is white.
launchedAt=$(Now)
StartIntroSilenced
StartFrameLog
unframed=() windowShots=0 boxShots=0 frame=0 shot=0 deadline=$((SECONDS + 120))
declare -A leftOut=()
while ((SECONDS < deadline)); do
  shot=$((shot + 1)) file=/out/launch$shot.png
  import -window root "$file"
  leftOut[$file]=
  if box=$(FindXWindowByName '^Lyd$'); then
    eval "$(xdotool getwindowgeometry --shell "$box" 2>/dev/null)"
    leftOut[$file]="$X $Y $((X + WIDTH)) $((Y + HEIGHT))"
    boxShots=$((boxShots + 1))
  elif [[ -n ${dismissedAt:-} ]]; then
    leftOut[$file]=$signatureRegion
  fi
  if frame=$(FrameNow); then
    ((frame == 0)) || break
    windowShots=$((windowShots + 1))
    windowAt=${windowAt:-$(Since "$launchedAt")}
  fi
  unframed+=("$file")
  if ((boxShots == 2)) && [[ -z ${dismissedAt:-} ]]; then
    Require 'the "Lyd" box is dismissed' DismissSoundWarning 30
    dismissedAt=$(Now)
  fi
done
Require "a frame is presented" test "${frame:-0}" -gt 0
echo "  window up within ${windowAt:-?} s of launch; first frame within $(Since "${dismissedAt:-$launchedAt}") s of the box's dismissal"

# Shots until 2.4 s of loop time, the first at once and each later one after a new frame, so that
# they follow the frames however slowly these come. A shot may still show the black window from
# before the first frame.
early=() framed=0
for shot in $(seq 1 12); do
  last=$(LoggedFrames | tail -n 1)
  ((shot == 1)) || WaitFor 60 eval "(( \$(LoggedFrames | tail -n 1) + 0 > ${last:-0} ))" || break
  file=/out/early$shot.png
  Shot "$file" && ((shotTo[$file] < 2400)) || break
  early+=("$file")
  ((shotFrom[$file] == 0)) || framed=$((framed + 1))
done
# When the frames after the first few come late, no shot before 2.5 s can be told to show one.
earlyFrames=$(LoggedFrames | awk '$1 < 2400 { n++ } END { print n + 0 }')
stall="the frames logged before 2.4 s of loop time: $(LoggedFrames | awk '$1 < 2400' | head -n 8 | tr '\n' ' ')then $(LoggedFrames | awk '$1 >= 2400 { print; exit }') ms"
echo "  $stall"

# The glow, from 4.0 s on; several moments, so that the tumbling logo leaves some background free
# near the centre.
for shot in 1 2 3; do
  Require "the show reaches $(Seconds $((4100 + 400 * shot))) s" WaitForLoopTime $((4100 + 400 * shot))
  Shot "/out/glow$shot.png"
done

# The signature is part of every presented picture: a burst of shots over the turning logo and
# the scroller, each of which must show it.
Require "the show reaches 6 s" WaitForLoopTime 6000
burst=()
for shot in $(seq 1 40); do
  Shot "/out/burst$shot.png" && burst+=("/out/burst$shot.png")
done

Require "Escape reaches the intro" SendKey Escape
Require "it takes effect" WaitFor 60 EscapeFrame
escapeMs=$(EscapeFrame)
# The card has faded in fully 0.6 s after Escape.
Require "the show reaches 0.9 s after Escape" WaitForLoopTime $((escapeMs + 900))
Shot /out/end1.png
Shot /out/end2.png
echo "  end card shots from $(ShownAfterEscape /out/end1.png) and $(ShownAfterEscape /out/end2.png) s after Escape"
# A second Escape changes nothing: the close still counts from the first.
WaitForFrame $((escapeMs + 2000)) && SendKey Escape

Expect "the window closes by itself after Escape" WaitForExit 60
ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
Expect "no crash" eval '! IntroCrashed'
# Measured: the loop time of the last frame logged before the window went, less that of the first
# frame after Escape. The intro closes on the first frame 10 s or more after Escape, so the last one
# logged is that frame or the one before it.
Require "the frame log saw the window go" WaitFor 10 grep -q '^gone=1' "$frameLog"
read -r beforeLast last <<<"$(LoggedFrames | tail -n 2 | tr '\n' ' ')"
echo "  last frame $(Seconds $((last - escapeMs))) s after Escape, $((last - beforeLast)) ms after the one before it"
Expect "it closes 10 s after the first Escape (within 0.5 s)" Within $((last - escapeMs)) 10000 500

echo " from launch to the first frame"
whiteShots=0
for file in "${unframed[@]}"; do
  white=$(WhitePixels "$file" ${leftOut[$file]})
  ((white == 0)) || echo "  $(basename "$file"): $white white pixels, leaving out ${leftOut[$file]:-nothing}"
  ((white == 0)) || whiteShots=$((whiteShots + 1))
done
echo "  ${#unframed[@]} shots, $windowShots with the window up, $boxShots with the box up"
Expect "the window is shot before its first frame" test "$windowShots" -ge 2
Expect "and with the box up" test "$boxShots" -ge 2
Expect "nothing white on the screen until the first frame, behind the box either" test "$whiteShots" -eq 0

echo " before 2.5 s ($framed of ${#early[@]} shots surely show a presented frame)"
framedShots=() unsigned=()
for file in "${early[@]}"; do
  brightest=$(Brightest "$file" $signatureRegion)
  echo "  $(basename "$file") (loop time $(Seconds "${shotFrom[$file]}")..$(Seconds "${shotTo[$file]}") s): brightest channel outside the signature corner $brightest"
  Expect "black before 2.5 s ($(basename "$file"))" test "$brightest" -le 2
  ((shotFrom[$file] > 0)) || continue
  framedShots+=("$file")
  SignatureShows "$file" "$width" "$height" || unsigned+=("$(basename "$file")")
done
if ((${#framedShots[@]} == 0 && earlyFrames < screenLag + 2)); then
  Skip "a shot surely shows a presented frame before 2.5 s" "too few frames to judge: $stall"
else
  Expect "a shot surely shows a presented frame before 2.5 s" test "${#framedShots[@]}" -gt 0
fi
Expect "every one of them shows the signature${unsigned[*]:+ (not: ${unsigned[*]})}" test "${#unsigned[@]}" -eq 0
((${#framedShots[@]} == 0)) || CheckSignature "${framedShots[0]}" "$width" "$height" "over the black picture"

echo " from 6 s"
unsigned=()
for file in "${burst[@]}"; do
  SignatureShows "$file" "$width" "$height" || unsigned+=("$(basename "$file")")
done
echo "  $((${#burst[@]} - ${#unsigned[@]})) of ${#burst[@]} shots (loop time $(Seconds "${shotFrom[${burst[0]}]:-0}")..$(Seconds "${shotTo[${burst[-1]}]:-0}") s) show the signature${unsigned[*]:+; not: ${unsigned[*]}}"
Expect "40 shots taken" test "${#burst[@]}" -eq 40
Expect "every shot shows the signature" test "${#unsigned[@]}" -eq 0

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
CheckSignature /out/end1.png "$width" "$height" "over the end card"
CheckSignature /out/end2.png "$width" "$height" "over the end card, again"
Finish
