# Screen helpers for the picture tests, sourced after lib.sh: the loop time of the frame that a
# screenshot shows, and pixel statistics over screenshots (ImageMagick decodes, screen_stats.py
# counts).
#
# Loop time. After every presented frame the intro keeps that frame's loop time, in milliseconds,
# in its window (0 before the first). StartFrameLog starts a probe that writes each new one to
# /out/frames.log as the frames come, and one that answers FrameNow at once. Direct3D lets a
# program run up to three presents ahead of the picture on the screen, so a screenshot begun while
# frame k was the last presented shows frame k-3 or a later one, and at most the one last
# presented when it is done. Waits are for frames, however slowly they come; only a generous
# limit applies.

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

# Seconds MS: milliseconds as seconds, for the reports.
Seconds() { awk -v ms="$1" 'BEGIN { printf "%.2f\n", ms / 1000 }'; }

frameLog=/out/frames.log
screenLag=3

StartFrameLog() {
  wine "$PROBE_EXE" watch 900 >"$frameLog" 2>/dev/null &
  mkfifo /tmp/probe.in /tmp/probe.out
  wine "$PROBE_EXE" serve </tmp/probe.in >/tmp/probe.out 2>/dev/null &
  exec {probeIn}>/tmp/probe.in {probeOut}</tmp/probe.out
}

# LoggedFrames: the loop times logged so far, oldest first.
LoggedFrames() { tr -d '\r' <"$frameLog" | sed -n 's/^frame_ms=//p'; }

# WindowGone: the log saw the window go.
WindowGone() { grep -q '^gone=1' "$frameLog"; }

# FrameNow: the loop time of the frame last presented, read at once; false without the window.
FrameNow() {
  local line
  echo >&"$probeIn" && IFS= read -r -t 60 line <&"$probeOut" || return 1
  line=${line%$'\r'}
  [[ $line == frame_ms=* ]] && echo "${line#frame_ms=}"
}

# FramesBack MS N: the loop time logged N frames before the first one at or after MS (0 when the
# log does not reach back so far); false while the log has not come that far. A frame the log
# missed only takes it further back.
FramesBack() {
  LoggedFrames | awk -v ms="$1" -v n="$2" '
    { v[NR] = $1 } $1 >= ms { print (NR > n ? v[NR - n] : 0); found = 1; exit } END { exit !found }'
}

declare -A shotFrom=() shotTo=()

# Shot FILE [IMPORT OPTIONS...]: a screenshot, and in shotFrom[FILE] and shotTo[FILE] the loop times
# between which the frame it shows lies. The log may lag behind the frames, which only takes
# shotFrom further back; shotTo is read at once.
Shot() {
  local file=$1 before
  shift
  before=$(LoggedFrames | tail -n 1)
  import -window root "$@" "$file" && shotTo[$file]=$(FrameNow) || return 1
  shotFrom[$file]=$(FramesBack "${before:-0}" "$screenLag")
}

# Showable: the earliest loop time a screenshot begun from now on can show.
Showable() { LoggedFrames | tail -n $((screenLag + 1)) | head -n 1; }

# WaitForLoopTime MS: until every screenshot begun from then on shows a frame at or after MS;
# false if the window goes first.
WaitForLoopTime() {
  WaitFor 300 eval "WindowGone || (( \$(Showable) + 0 >= $1 ))" && ! WindowGone
}

# WaitForFrame MS: until a frame at or after MS has been presented; false if the window goes first.
WaitForFrame() {
  WaitFor 300 eval "WindowGone || (( \$(LoggedFrames | tail -n 1) + 0 >= $1 ))" && ! WindowGone
}

# TooFewFrames FROM TO N: the log holds fewer than N frames in [FROM, TO), so that N shots of
# that span could not be told to show frames within it: a show that slow is not judged there.
TooFewFrames() {
  local count
  count=$(LoggedFrames | awk -v a="$1" -v b="$2" '$1 >= a && $1 < b { n++ } END { print n + 0 }')
  ((count < $3 * (screenLag + 1)))
}

# EscapeFrame: the loop time of the first frame after Escape took effect, which is the loop time it
# took effect at: the loop reads the frame's time right after handling the key. Once the show has
# begun only Escape brings the pointer back, and the log notes when it does.
EscapeFrame() {
  tr -d '\r' <"$frameLog" | awk -F= '
    $1 == "frame_ms" && $2 > 0 { begun = 1 }
    begun && $0 == "pointer=1" { escaped = 1; next }
    escaped && $1 == "frame_ms" { print $2; found = 1; exit }
    END { exit !found }'
}

# ShownAfterEscape FILE: the span of time after Escape within which the frame the screenshot shows
# lies, "from..to" in seconds.
ShownAfterEscape() {
  echo "$(Seconds $((shotFrom[$1] - escapeMs)))..$(Seconds $((shotTo[$1] - escapeMs)))"
}

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

# WhitePixels FILE [SKIP_X0 SKIP_Y0 SKIP_X1 SKIP_Y1]: how many pixels have every channel >= 240,
# leaving out the region. ImageMagick alone: it is run over many shots.
WhitePixels() {
  local skip=()
  (($# == 1)) || skip=(-fill black -draw "rectangle $2,$3 $(($4 - 1)),$(($5 - 1))")
  convert "$1" "${skip[@]}" -channel RGB -separate -evaluate-sequence min -threshold 93.92% \
    -format '%[fx:int(mean * w * h + 0.5)]\n' info:
}

# Within A B TOL: |A - B| <= TOL.
Within() {
  [[ $1 =~ ^-?[0-9.]+$ && $2 =~ ^-?[0-9.]+$ ]] || return 1
  awk -v a="$1" -v b="$2" -v tol="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= tol) }'
}

# Ratio A B: A / B (0 when B is 0).
Ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == 0 ? 0 : a / b) }'; }

# AtLeast A B: A >= B.
AtLeast() { [[ $1 =~ ^-?[0-9.]+$ ]] && ! Less "$1" "$2"; }

# The signature "dorv": its ink's bounding box in the bottom-left corner, which must start at
# x = 8 and within a few rows below y = height - 24 (the text cell's top); nothing bright lies left
# of it or above it there.
SignatureRegion() { echo "0 $(($2 - 60)) 120 $2"; }

# SignatureShows FILE WIDTH HEIGHT: the signature's white is in its place on one screenshot. Its
# light neutral pixels are told from the logo's plasma colours, which may reach into the corner.
SignatureShows() {
  local count minX minY maxX maxY top=$(($3 - 24))
  read -r count minX minY maxX maxY <<<"$(ClassBox "$1" text $(SignatureRegion "$2" "$3"))"
  AtLeast "$count" 20 && Within "$minX" 8 1 && AtLeast "$minY" "$top" && Less "$minY" $((top + 8)) &&
    Less "$maxX" 60 && Less "$maxY" "$3"
}

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
