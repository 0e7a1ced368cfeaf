#!/usr/bin/env python3
"""Checks the shots of e2e_objects3d.sh: t0.rgb, t1.rgb, ... (600 x 400, 8-bit RGB) and
times.txt (milliseconds of each shot since t0) in the work folder given.

Exits 1 after printing what is wrong; prints what it measured either way.
"""
import os
import sys

W, H = 600, 400
# Where blue (butterflies) may show: the rectangle, the margin and half a span around it.
BUTTERFLY_AREA = (131, 63, 469, 337)
# The clock's square on the screen.
CLOCK = (30, 27, 120, 107)


def masks(pixels):
    """Sets of pixel indices that are blue (wings), orange (leaves) and cream (dial)."""
    blue, orange, cream = set(), set(), set()
    for i in range(W * H):
        r, g, b = pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]
        if b > 120 and b - r > 60 and b - g > 20:
            blue.add(i)
        elif r > 120 and r - b > 80 and g < r:
            orange.add(i)
        elif r > 170 and g > 170 and b > 153 and max(r, g, b) - min(r, g, b) < 51:
            cream.add(i)
    return blue, orange, cream


def inside(i, box):
    x, y = i % W, i // W
    return box[0] <= x <= box[2] and box[1] <= y <= box[3]


def main():
    work = sys.argv[1]
    times = [int(t) for t in open(os.path.join(work, "times.txt")).read().split()]
    shots = []
    for k in range(len(times)):
        with open(os.path.join(work, "t%d.rgb" % k), "rb") as f:
            data = f.read()
        if len(data) != W * H * 3:
            print("t%d: %d bytes, not a 600 x 400 shot" % (k, len(data)))
            return 1
        shots.append(masks(data))

    problems = []
    late_left = []
    for k, (blue, orange, cream) in enumerate(shots):
        outside = sum(1 for i in blue if not inside(i, BUTTERFLY_AREA))
        left = sum(1 for i in orange if i % W < 200)
        print("t%d at %5d ms: blue %4d (outside their area %d), orange %5d (left third %4d), cream %d"
              % (k, times[k], len(blue), outside, len(orange), left, len(cream)))
        if len(blue) < 20:
            problems.append("t%d: no butterflies" % k)
        if outside > 2:
            problems.append("t%d: a butterfly is outside its rectangle and margin" % k)
        if len(orange) < 300:
            problems.append("t%d: too few leaves" % k)
        # Leaves that started in the left third have left it after five seconds (they move
        # at 175 to 325 picture pixels a second, 533 pixels wide): leaves there came back.
        if times[k] >= 5000:
            late_left.append(left)
            if left < 20:
                problems.append("t%d: no leaves came back at the left" % k)

    # About a third of the thirty leaves, some 40 pixels each, are there at any time.
    if not late_left or sum(late_left) < 100 * len(late_left):
        problems.append("too few leaves came back at the left: %s" % late_left)

    for k in range(1, len(shots)):
        for name, a, b in (("butterflies", shots[k - 1][0], shots[k][0]), ("leaves", shots[k - 1][1], shots[k][1])):
            if len(a ^ b) < 10:
                problems.append("t%d: the %s did not move" % (k, name))
    if times[-1] < 10000:
        problems.append("the shots cover only %d ms" % times[-1])

    # The clock: the union of the shots' cream (leaves pass over it) lies in its square and
    # fills most of it; the dial's cream ends inside its dark bezel.
    cream = set().union(*(c for _, _, c in shots))
    left_part = [i for i in cream if i % W < 130]
    if not left_part:
        problems.append("no clock face")
    else:
        xs = [i % W for i in left_part]
        ys = [i // W for i in left_part]
        box = (min(xs), min(ys), max(xs), max(ys))
        filled = sum(1 for i in left_part if inside(i, CLOCK))
        print("cream box %s, %d pixels inside the square %s" % (box, filled, CLOCK))
        if any(abs(a - b) > 8 for a, b in zip(box, CLOCK)):
            problems.append("the clock's face %s is not where its square %s is" % (box, CLOCK))
        if filled < 3500:
            problems.append("the clock's face does not fill its square")
        if len(left_part) - filled > 5:
            problems.append("cream outside the clock's square")

    for p in problems:
        print("FAIL:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
