# Screen helpers for the picture tests, sourced after lib.sh: a clock that brackets the intro's loop
# time, and pixel statistics over screenshots (ImageMagick decodes, python3 counts).
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

screenPy=$(
  cat <<'PY'
import math, subprocess, sys

CLASSES = {
    "ink": lambda r, g, b: max(r, g, b) >= 100,
    "text": lambda r, g, b: min(r, g, b) >= 150 and max(r, g, b) - min(r, g, b) <= 30,
    "colour": lambda r, g, b: max(r, g, b) >= 40 and max(r, g, b) - min(r, g, b) >= 25,
    "lit": lambda r, g, b: max(r, g, b) >= 40,
}

def size(path):
    out = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, check=True)
    w, h = out.stdout.split()
    return int(w), int(h)

def pixels(path, region):
    """Rows of (r, g, b) tuples of the region."""
    x0, y0, x1, y1 = region
    geometry = "%dx%d+%d+%d" % (x1 - x0, y1 - y0, x0, y0)
    raw = subprocess.run(["convert", path, "-crop", geometry, "+repage", "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    width = x1 - x0
    return [[tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(y1 - y0)]

def region(args):
    return tuple(int(v) for v in args[:4])

def inside(x, y, box):
    return box is not None and box[0] <= x < box[2] and box[1] <= y < box[3]

def mask(path, box, kind):
    test = CLASSES[kind]
    return {(box[0] + x, box[1] + y) for y, row in enumerate(pixels(path, box))
            for x, p in enumerate(row) if test(*p)}

def cmd_box(path, kind, *rest):
    """Count and bounding box of one class in a region: 'count x0 y0 x1 y1' (x1, y1 inclusive;
    all -1 when there is none)."""
    found = mask(path, region(rest), kind)
    if not found:
        print("0 -1 -1 -1 -1")
        return
    xs = [x for x, _ in found]
    ys = [y for _, y in found]
    print(len(found), min(xs), min(ys), max(xs), max(ys))

def cmd_brightest(path, *rest):
    """Largest channel over the whole picture outside an optional region."""
    skip = region(rest) if rest else None
    w, h = size(path)
    best = 0
    for y, row in enumerate(pixels(path, (0, 0, w, h))):
        for x, p in enumerate(row):
            if not inside(x, y, skip):
                best = max(best, max(p))
    print(best)

def cmd_near(path, r, g, b, tol, *rest):
    """Share of the region's pixels within tol of (r, g, b) in every channel, leaving out an
    optional second region: 'share pixels'."""
    box = region(rest)
    skip = region(rest[4:]) if len(rest) > 4 else None
    want = (int(r), int(g), int(b))
    tol = int(tol)
    near = total = 0
    for y, row in enumerate(pixels(path, box)):
        for x, p in enumerate(row):
            if inside(box[0] + x, box[1] + y, skip):
                continue
            total += 1
            near += all(abs(p[i] - want[i]) <= tol for i in range(3))
    print("%.4f %d" % (near / total if total else 0.0, total))

def cmd_glow(*paths):
    """The intro's background where the logo leaves it free: dim, blue-tinted pixels (blue the
    largest channel, green the middle one, at most 20 apart). Their mean colour near the centre
    (within 0.3 screen heights) and near the edges (beyond 0.7): 'n r g b' for each zone."""
    zones = {"centre": [0, 0, 0, 0], "edge": [0, 0, 0, 0]}
    for path in paths:
        w, h = size(path)
        for y, row in enumerate(pixels(path, (0, 0, w, h))):
            for x, (r, g, b) in enumerate(row):
                if not (b >= g >= r and b - r <= 20 and b <= 40):
                    continue
                d = math.hypot(x + 0.5 - w / 2, y + 0.5 - h / 2) / h
                zone = "centre" if d <= 0.3 else "edge" if d >= 0.7 else None
                if zone:
                    acc = zones[zone]
                    acc[0] += 1; acc[1] += r; acc[2] += g; acc[3] += b
    out = []
    for name in ("centre", "edge"):
        n, r, g, b = zones[name]
        out.append("%d %.1f %.1f %.1f" % (n, r / n, g / n, b / n) if n else "0 0 0 0")
    print(" ".join(out))

def cmd_share(path, kind, *rest):
    """Share of a class among the pixels within a radius of the screen centre: 'share pixels'."""
    radius = float(rest[0])
    w, h = size(path)
    test = CLASSES[kind]
    hit = total = 0
    box = (int(w / 2 - radius), int(h / 2 - radius), int(w / 2 + radius), int(h / 2 + radius))
    for y, row in enumerate(pixels(path, box)):
        for x, p in enumerate(row):
            if math.hypot(box[0] + x + 0.5 - w / 2, box[1] + y + 0.5 - h / 2) <= radius:
                total += 1
                hit += test(*p)
    print("%.4f %d" % (hit / total if total else 0.0, total))

def cmd_compare(first, second, kind, *rest):
    """Two pictures' masks of one class in a region: 'first second differing union'."""
    box = region(rest)
    a, b = mask(first, box, kind), mask(second, box, kind)
    print(len(a), len(b), len(a ^ b), len(a | b))

def cmd_runs(path, kind, merge, *rest):
    """Runs of columns holding at least two pixels of a class in a region, gaps narrower than
    merge columns closed: 'start-end' for each run (end inclusive)."""
    box = region(rest)
    counts = {}
    for x, _ in mask(path, box, kind):
        counts[x] = counts.get(x, 0) + 1
    columns = sorted(x for x, n in counts.items() if n >= 2)
    runs = []
    for x in columns:
        if runs and x - runs[-1][1] <= int(merge):
            runs[-1][1] = x
        else:
            runs.append([x, x])
    print(" ".join("%d-%d" % (s, e) for s, e in runs))

COMMANDS = {"box": cmd_box, "brightest": cmd_brightest, "near": cmd_near, "glow": cmd_glow,
            "share": cmd_share, "compare": cmd_compare, "runs": cmd_runs}
COMMANDS[sys.argv[1]](*sys.argv[2:])
PY
)

# ClassBox FILE CLASS X0 Y0 X1 Y1: "count minX minY maxX maxY" of the class's pixels in the region.
ClassBox() { python3 -c "$screenPy" box "$1" "$2" "${@:3}"; }

# Brightest FILE [X0 Y0 X1 Y1]: the largest channel value outside the region.
Brightest() { python3 -c "$screenPy" brightest "$@"; }

# ShareNear FILE R G B TOL X0 Y0 X1 Y1 [SKIP_X0 SKIP_Y0 SKIP_X1 SKIP_Y1]: "share pixels" of the
# region's pixels within TOL of the colour.
ShareNear() { python3 -c "$screenPy" near "$@"; }

# GlowStats FILE...: "n r g b" of the free background near the centre, then near the edges.
GlowStats() { python3 -c "$screenPy" glow "$@"; }

# ShareOfClass FILE CLASS RADIUS: "share pixels" of the class within RADIUS of the centre.
ShareOfClass() { python3 -c "$screenPy" share "$@"; }

# CompareMasks FILE1 FILE2 CLASS X0 Y0 X1 Y1: "first second differing union" pixel counts.
CompareMasks() { python3 -c "$screenPy" compare "$@"; }

# ColumnRuns FILE CLASS MERGE X0 Y0 X1 Y1: the runs of columns that hold the class.
ColumnRuns() { python3 -c "$screenPy" runs "$@"; }

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
