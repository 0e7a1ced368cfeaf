#!/usr/bin/env python3
"""Writes the meshes of the 3D objects as .x text, the same bytes on every run.

  objects3d_meshes.py <output dir>

butterfly_body_68.x   the butterfly's body: head, thorax and abdomen along +z (the nose),
                      back towards -y, with two clubbed antennae
butterfly_wing_69.x   one pair of wings spreading along +x from the body's axis, front
                      towards +z; u runs from the hinge to the tip, v from front to back
clock_square_70.x     the flat square of the clock's face and hands: 100 units wide in the
                      x-z plane, +z up the face (v = 0)
leaf.x                a leaf for the falling-leaf frames: folded a little along its midrib
                      and curled along its length, u across and v along the leaf

The picture space the player draws in has y pointing down, so a face is drawn under the
default culling when it turns clockwise on the screen: seen from outside, the cross product
of its first two edges points into the body. The body is wound that way; the other meshes
are drawn from both sides.
"""
import math
import os
import sys


def write_x(path, name, vertices, uvs, faces):
    lines = ["xof 0303txt 0032", "", "Mesh %s {" % name, " %d;" % len(vertices)]
    for i, (x, y, z) in enumerate(vertices):
        end = ";" if i == len(vertices) - 1 else ","
        lines.append(" %.5f;%.5f;%.5f;%s" % (x, y, z, end))
    lines.append(" %d;" % len(faces))
    for i, (a, b, c) in enumerate(faces):
        end = ";" if i == len(faces) - 1 else ","
        lines.append(" 3;%d,%d,%d;%s" % (a, b, c, end))
    lines += ["", " MeshTextureCoords {", "  %d;" % len(uvs)]
    for i, (u, v) in enumerate(uvs):
        end = ";" if i == len(uvs) - 1 else ","
        lines.append("  %.5f;%.5f;%s" % (u, v, end))
    lines += [" }", "", " MeshMaterialList {", "  1;", "  %d;" % len(faces)]
    for i in range(len(faces)):
        lines.append("  0" + (";" if i == len(faces) - 1 else ","))
    lines += ["  Material {", "   1.0;1.0;1.0;1.0;;", "   0.0;", "   0.0;0.0;0.0;;", "   0.0;0.0;0.0;;", "  }",
              " }", "}", ""]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines))


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def inward(vertices, face, outward):
    """The face wound so that its edge cross product points against outward."""
    a, b, c = face
    n = cross(sub(vertices[b], vertices[a]), sub(vertices[c], vertices[a]))
    return face if dot(n, outward) < 0 else (a, c, b)


def grid(columns, rows, place):
    """A (columns+1) x (rows+1) lattice; place(s, t) gives (vertex, uv) for s, t in [0, 1]."""
    vertices, uvs, faces = [], [], []
    for r in range(rows + 1):
        for c in range(columns + 1):
            v, uv = place(c / columns, r / rows)
            vertices.append(v)
            uvs.append(uv)
    for r in range(rows):
        for c in range(columns):
            i = r * (columns + 1) + c
            j = i + columns + 1
            faces += [(i, i + 1, j), (j, i + 1, j + 1)]
    return vertices, uvs, faces


# ---- Butterfly body ------------------------------------------------------------------------------

HEAD_FRONT, TAIL = 24.2, -28.0
# (centre z, half length, radius) of head, thorax and abdomen; the body is their union.
SEGMENTS = [(20.0, 4.2, 4.2), (9.0, 8.0, 5.5), (-12.0, 16.0, 4.0)]


def body_radius(z):
    r = 0.0
    for c, half, radius in SEGMENTS:
        t = (z - c) / half
        if abs(t) < 1.0:
            r = max(r, radius * math.sqrt(1.0 - t * t))
    return r


def body():
    rings, around = 36, 14
    vertices, uvs, faces = [], [], []
    for i in range(rings + 1):
        # Denser towards the ends, where the radius changes fastest.
        s = 0.5 - 0.5 * math.cos(math.pi * i / rings)
        z = HEAD_FRONT + (TAIL - HEAD_FRONT) * s
        r = body_radius(z)
        for k in range(around + 1):
            a = 2.0 * math.pi * k / around
            # A little deeper than wide, as a butterfly's body is.
            vertices.append((r * math.cos(a), r * 1.15 * math.sin(a), z))
            uvs.append((k / around, s))
    for i in range(rings):
        for k in range(around):
            p = i * (around + 1) + k
            q = p + around + 1
            for face in ((p, p + 1, q), (q, p + 1, q + 1)):
                a, b, c = (vertices[v] for v in face)
                n = cross(sub(b, a), sub(c, a))
                if dot(n, n) < 1e-12:
                    continue  # at a pole two corners meet: no area
                mid = [(a[d] + b[d] + c[d]) / 3.0 for d in range(3)]
                faces.append(inward(vertices, face, (mid[0], mid[1], 0.0)))

    # Antennae: from the top of the head forwards and up, thickening to a club at the tip;
    # two crossed ribbons each, both sides of each, so they show from every side.
    head_v = 0.02
    for side in (-1.0, 1.0):
        base = (side * 1.2, -3.0, 21.5)
        tip = (side * 7.0, -17.0, 40.0)
        steps = 6
        for axis in ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0)):
            strip = []
            for j in range(steps + 1):
                t = j / steps
                centre = tuple(base[d] + (tip[d] - base[d]) * t for d in range(3))
                half = 0.35 + (0.9 if t > 0.8 else 0.0)
                for sgn in (-1.0, 1.0):
                    vertices.append(tuple(centre[d] + sgn * half * axis[d] for d in range(3)))
                    uvs.append((0.5 + 0.2 * sgn, head_v))
                strip.append(len(vertices) - 2)
            for j in range(steps):
                a, b = strip[j], strip[j + 1]
                for face in ((a, a + 1, b), (b, a + 1, b + 1)):
                    faces.append(face)
                    faces.append((face[0], face[2], face[1]))
    return vertices, uvs, faces


# ---- Wings -----------------------------------------------------------------------------------------

WING_SPAN, WING_FRONT, WING_BACK = 64.0, 36.0, -44.0


def wing():
    def place(s, t):
        x = WING_SPAN * s
        z = WING_FRONT + (WING_BACK - WING_FRONT) * t
        y = -3.0 * s * s  # the outer wing bends up a little
        return (x, y, z), (s, t)

    return grid(4, 5, place)


# ---- Clock square ----------------------------------------------------------------------------------


def clock_square():
    def place(s, t):
        return (-50.0 + 100.0 * s, 0.0, 50.0 - 100.0 * t), (s, t)

    return grid(1, 1, place)


# ---- Leaf ------------------------------------------------------------------------------------------


def leaf():
    def place(s, t):
        x = -0.6 + 1.2 * s
        y = -1.0 + 2.0 * t
        z = 0.18 * abs(x) - 0.12 * y * y  # folded along the midrib, curled along the length
        return (x, y, z), (s, t)

    return grid(4, 6, place)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_x(os.path.join(out, "butterfly_body_68.x"), "ButterflyBody", *body())
    write_x(os.path.join(out, "butterfly_wing_69.x"), "ButterflyWing", *wing())
    write_x(os.path.join(out, "clock_square_70.x"), "ClockSquare", *clock_square())
    write_x(os.path.join(out, "leaf.x"), "Leaf", *leaf())


if __name__ == "__main__":
    main()
