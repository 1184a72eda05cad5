"""Pixel statistics over screenshots for the picture tests; screen_lib.sh's ClassBox, Brightest,
ShareNear, GlowStats, ShareOfClass, CompareMasks and ColumnRuns call it, and its comments define
the pixel classes and regions. ImageMagick decodes the pictures, this counts.

usage: python3 screen_stats.py box|brightest|near|glow|share|compare|runs ARGS...
"""
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
