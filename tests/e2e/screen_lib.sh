# Screen helpers for the picture tests, sourced after lib.sh: a clock that brackets the intro's loop
# time, and pixel statistics over screenshots (ImageMagick decodes, screen_stats.py counts).
#
# Loop time. The intro is started without sound, so its "Lyd" warning box comes up just before the
# main loop; the loop clock starts when the box is dismissed. StartIntroClocked notes the moment
# Return is sent (pressAt) and the moment the box is seen gone (goneAt), so at any later moment
#   loop time <= now - pressAt    and    loop time >= now - goneAt.

Now() { date +%s.%N; }

# ScreenIs WxH: the session's virtual screen has that size (set by the test's "# screen:" line).
ScreenIs() {
  [[ $(ScreenSize) == "${1%x*} ${1#*x}" ]]
}

# Since T: seconds from T to now.
Since() { awk -v now="$(Now)" -v t="$1" 'BEGIN { printf "%.2f\n", now - t }'; }

# Less A B: A < B, both numbers.
Less() {
  [[ $1 =~ ^-?[0-9.]+$ && $2 =~ ^-?[0-9.]+$ ]] || return 1
  awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'
}

# WaitSince T SECONDS: sleeps until SECONDS have passed since T.
WaitSince() {
  while Less "$(Since "$1")" "$2"; do sleep 0.05; done
}

StartIntroClocked() {
  StartIntroSilenced
  Require 'the "Lyd" box comes up' WaitForMessageBox Lyd 30
  pressAt=$(Now)
  Require "it is dismissed" DismissSoundWarning 5
  goneAt=$(Now)
}

# WaitForLoopTime SECONDS: returns once the loop time is sure to be at least SECONDS.
WaitForLoopTime() { WaitSince "$goneAt" "$1"; }

# LoopTimeAtMost: the largest loop time the present moment can have.
LoopTimeAtMost() { Since "$pressAt"; }

# --- pixel statistics -----------------------------------------------------------------------------
# Pixel classes, on 8-bit r, g, b:
#   ink     bright: the largest channel >= 100 (the white signature over a dark picture)
#   text    light and neutral: all channels >= 150 and at most 30 apart (the scroller's lit text;
#           the plasma that colours the logo and the letters is never that neutral)
#   colour  plasma-coloured: the largest channel >= 40 and the channels at least 25 apart
#   lit     anything clearly above the end card's dark top: the largest channel >= 40
# A region is "X0 Y0 X1 Y1", inclusive-exclusive, in screen pixels.

# ClassBox FILE CLASS X0 Y0 X1 Y1: "count minX minY maxX maxY" of the class's pixels in the region.
ClassBox() { python3 "$e2eDir/screen_stats.py" box "$1" "$2" "${@:3}"; }

# Brightest FILE [X0 Y0 X1 Y1]: the largest channel value outside the region.
Brightest() { python3 "$e2eDir/screen_stats.py" brightest "$@"; }

# ShareNear FILE R G B TOL X0 Y0 X1 Y1 [SKIP_X0 SKIP_Y0 SKIP_X1 SKIP_Y1]: "share pixels" of the
# region's pixels within TOL of the colour.
ShareNear() { python3 "$e2eDir/screen_stats.py" near "$@"; }

# GlowStats FILE...: "n r g b" of the free background near the centre, then near the edges.
GlowStats() { python3 "$e2eDir/screen_stats.py" glow "$@"; }

# ShareOfClass FILE CLASS RADIUS: "share pixels" of the class within RADIUS of the centre.
ShareOfClass() { python3 "$e2eDir/screen_stats.py" share "$@"; }

# CompareMasks FILE1 FILE2 CLASS X0 Y0 X1 Y1: "first second differing union" pixel counts.
CompareMasks() { python3 "$e2eDir/screen_stats.py" compare "$@"; }

# ColumnRuns FILE CLASS MERGE X0 Y0 X1 Y1: the runs of columns that hold the class.
ColumnRuns() { python3 "$e2eDir/screen_stats.py" runs "$@"; }

# Within A B TOL: |A - B| <= TOL.
Within() {
  [[ $1 =~ ^-?[0-9.]+$ && $2 =~ ^-?[0-9.]+$ ]] || return 1
  awk -v a="$1" -v b="$2" -v tol="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= tol) }'
}

# Ratio A B: A / B (0 when B is 0).
Ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == 0 ? 0 : a / b) }'; }

# AtLeast A B: A >= B.
AtLeast() { [[ $1 =~ ^-?[0-9.]+$ ]] && ! Less "$1" "$2"; }

# Presented FILE: the intro has shown a frame; before its first Present the full-screen window is
# still its plain white.
Presented() {
  Less "$(convert "$1" -format '%[fx:mean]' info:)" 0.5
}

# EndCardShown FILE: the end card is on the screen. Its lower half is one flat brown (black while
# it fades in); the intro's picture from 3 s on is never one flat colour with red >= green >= blue
# there, its background being blue.
EndCardShown() {
  local width height format='' x y
  read -r width height <<<"$(identify -format '%w %h' "$1")"
  for x in $((width / 8)) $((width / 2)) $((width * 7 / 8)); do
    for y in $((height * 5 / 8)) $((height * 7 / 8)); do
      format+="%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)] "
    done
  done
  convert "$1" -format "$format" info: | awk '{
    for (i = 1; i <= NF; i++) if ($i != $1) exit 1
    split($1, c, ","); exit !(c[1] >= c[2] && c[2] >= c[3]) }'
}

# WaitForEndCard: after Escape, returns once the end card is seen and sets endSeenAt. The card
# began before that moment, so at any later moment the time since Escape is at least
# now - endSeenAt.
WaitForEndCard() {
  WaitFor 20 eval 'Screenshot endcard-seen >/dev/null && EndCardShown /out/endcard-seen.png' || return 1
  endSeenAt=$(Now)
}

# The signature "dorv": its ink's bounding box in the bottom-left corner, which must start at
# x = 8 and within a few rows below y = height - 24 (the text cell's top); nothing bright lies left
# of it or above it there.
SignatureRegion() { echo "0 $(($2 - 60)) 120 $2"; }

# CheckSignature FILE WIDTH HEIGHT WHERE: checks over one screenshot.
CheckSignature() {
  local count minX minY maxX maxY top=$(($3 - 24))
  read -r count minX minY maxX maxY <<<"$(ClassBox "$1" ink $(SignatureRegion "$2" "$3"))"
  echo "  signature ink $4: $count pixels, box x $minX..$maxX, y $minY..$maxY (cell top at y $top)"
  Expect "signature drawn $4" AtLeast "$count" 20
  Expect "signature starts 8 px from the left $4" Within "$minX" 8 1
  Expect "signature's top lies just below height - 24 $4" eval "AtLeast '$minY' $top && Less '$minY' $((top + 8))"
  Expect "signature is small and in the corner $4" eval "Less '$maxX' 60 && Less '$maxY' $3"
}
