#!/usr/bin/env python3
"""Builds cresol.res, the example structure: p-cresol (4-methylphenol) in a made-up
P2(1)/c cell, from standard bond lengths and angles. The H atoms ride as SHELXL writes them
(AFIX 43 aromatic CH, AFIX 137 methyl, AFIX 147 hydroxyl). Run it again to rewrite the file:

    python3 make_cresol.py > cresol.res
"""
import math

# Cell (made up, but room enough for four molecules).
A, B, C, BETA = 7.512, 6.236, 14.875, 98.46
WAVE = 0.71073

# Standard distances (Angstrom) and angles (degrees).
CC_AR = 1.390    # aromatic C-C
C_O = 1.365      # phenol C-O
C_ME = 1.506     # aryl C-methyl
CH_AR = 0.950    # AFIX 43
CH_ME = 0.980    # AFIX 137
OH = 0.840       # AFIX 147
COH = 109.5      # C-O-H
TETRA = 109.471  # H-C-H of the methyl group


def add(u, v):
    return [u[0] + v[0], u[1] + v[1], u[2] + v[2]]


def scale(u, s):
    return [u[0] * s, u[1] * s, u[2] * s]


def molecule():
    """Atoms in a molecular frame: ring in the xy plane, centred at the origin, O on +x."""
    at = []
    ring = []
    for k in range(6):
        phi = math.radians(60.0 * k)
        ring.append([CC_AR * math.cos(phi), CC_AR * math.sin(phi), 0.0])
    names = ["C1", "C2", "C3", "C4", "C5", "C6"]
    unit = lambda v: scale(v, 1.0 / math.sqrt(sum(x * x for x in v)))
    o1 = add(ring[0], [C_O, 0.0, 0.0])
    # Hydroxyl H in the ring plane, C1-O1-H1 = 109.5 degrees.
    t = math.radians(180.0 - COH)
    h1 = add(o1, [OH * math.cos(t), OH * math.sin(t), 0.0])
    c7 = add(ring[3], [-C_ME, 0.0, 0.0])
    at.append(("O1", 3, o1, "aniso"))
    at.append(("H1", 2, h1, "147"))
    for k, n in enumerate(names):
        at.append((n, 1, ring[k], "aniso"))
        if k in (1, 2, 4, 5):  # aromatic H, radial
            at.append(("H" + n[1:], 2, add(ring[k], scale(unit(ring[k]), CH_AR)), "43"))
    at.append(("C7", 1, c7, "aniso"))
    # Methyl H: C4-C7-H = 109.47 degrees, one H in the ring plane.
    a = math.radians(180.0 - TETRA)
    for j, suffix in enumerate("ABC"):
        rot = math.radians(120.0 * j)
        d = [-math.cos(a), math.sin(a) * math.cos(rot), math.sin(a) * math.sin(rot)]
        at.append(("H7" + suffix, 2, add(c7, scale(d, CH_ME)), "137"))
    return at


def rotation(a1, a2, a3):
    """Rotation by angles (degrees) about z, then y, then x."""
    c1, s1 = math.cos(math.radians(a1)), math.sin(math.radians(a1))
    c2, s2 = math.cos(math.radians(a2)), math.sin(math.radians(a2))
    c3, s3 = math.cos(math.radians(a3)), math.sin(math.radians(a3))
    rz = [[c1, -s1, 0], [s1, c1, 0], [0, 0, 1]]
    ry = [[c2, 0, s2], [0, 1, 0], [-s2, 0, c2]]
    rx = [[1, 0, 0], [0, c3, -s3], [0, s3, c3]]
    return matmul(rx, matmul(ry, rz))


def matmul(p, q):
    return [[sum(p[i][k] * q[k][j] for k in range(3)) for j in range(3)] for i in range(3)]


def matvec(m, v):
    return [sum(m[i][k] * v[k] for k in range(3)) for i in range(3)]


def transpose(m):
    return [[m[j][i] for j in range(3)] for i in range(3)]


def cell_matrix():
    """Fractional to Cartesian: x along a, y along b (monoclinic, b unique)."""
    cb, sb = math.cos(math.radians(BETA)), math.sin(math.radians(BETA))
    return [[A, 0.0, C * cb], [0.0, B, 0.0], [0.0, 0.0, C * sb]]


def inverse(m):
    a, b, c = m[0]
    d, e, f = m[1]
    g, h, i = m[2]
    det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g)
    adj = [[e * i - f * h, c * h - b * i, b * f - c * e],
           [f * g - d * i, a * i - c * g, c * d - a * f],
           [d * h - e * g, b * g - a * h, a * e - b * d]]
    return [[adj[r][s] / det for s in range(3)] for r in range(3)]


OPS = [lambda x: x,
       lambda x: [-x[0], 0.5 + x[1], 0.5 - x[2]],
       lambda x: [-x[0], -x[1], -x[2]],
       lambda x: [x[0], 0.5 - x[1], 0.5 + x[2]]]


def closest_contact(frac, tmat):
    """Shortest distance from an atom to an atom of another molecule of the crystal."""
    best = 99.0
    for n, op in enumerate(OPS):
        images = [op(f) for _, f in frac]
        for u in range(-2, 3):
            for v in range(-2, 3):
                for w in range(-2, 3):
                    if n == 0 and (u, v, w) == (0, 0, 0):
                        continue
                    for img in images:
                        p = matvec(tmat, [img[0] + u, img[1] + v, img[2] + w])
                        for _, f in frac:
                            q = matvec(tmat, f)
                            best = min(best, math.dist(p, q))
    return best


def main():
    tmat = cell_matrix()
    tinv = inverse(tmat)
    rot = rotation(170.0, 60.0, 30.0)
    centre = matvec(tmat, [0.25, 0.15, 0.20])
    atoms = []
    for name, sfac, x, kind in molecule():
        xc = add(matvec(rot, x), centre)
        atoms.append((name, sfac, matvec(tinv, xc), kind, matvec(rot, [1, 0, 0])))
    contact = closest_contact([(a[0], a[2]) for a in atoms], tmat)
    assert contact > 2.2, contact

    # Non-H displacement: U = 0.020, 0.025, 0.030 A^2 along the molecular axes, turned into
    # the SHELX Uij of the reciprocal-axis basis: U* = N^-1 A^-1 Ucart A^-T N^-1.
    ucart_mol = [[0.020, 0, 0], [0, 0.025, 0], [0, 0, 0.030]]
    ucart = matmul(rot, matmul(ucart_mol, transpose(rot)))
    ustar = matmul(tinv, matmul(ucart, transpose(tinv)))
    vol = A * B * C * math.sin(math.radians(BETA))
    recip = [B * C / vol, A * C * math.sin(math.radians(BETA)) / vol, A * B / vol]
    uij = [[ustar[i][j] / (recip[i] * recip[j]) for j in range(3)] for i in range(3)]

    out = []
    out.append("TITL cresol in P2(1)/c, made by make_cresol.py")
    out.append("CELL %8.5f %8.4f %8.4f %8.4f  90.000 %8.3f  90.000" % (WAVE, A, B, C, BETA))
    out.append("ZERR    4.00   0.0008   0.0006   0.0015   0.000   0.004   0.000")
    out.append("LATT 1")
    out.append("SYMM -X, 1/2+Y, 1/2-Z")
    out.append("SFAC C H O")
    out.append("UNIT 28 32 4")
    out.append("L.S. 10")
    out.append("BOND $H")
    out.append("FMAP 2")
    out.append("PLAN 10")
    out.append("WGHT    0.050000    0.100000")
    out.append("FVAR       1.00000")
    afix = "0"
    for name, sfac, f, kind, _ in atoms:
        want = kind if kind != "aniso" else "0"
        if want != afix:
            out.append("AFIX %4s" % want)
            afix = want
        xyz = "%10.6f  %10.6f  %10.6f" % (f[0], f[1], f[2])
        if kind == "aniso":
            out.append("%-5s %d  %s   11.00000  %8.5f  %8.5f =" %
                       (name, sfac, xyz, uij[0][0], uij[1][1]))
            out.append("        %8.5f  %8.5f  %8.5f  %8.5f" %
                       (uij[2][2], uij[1][2], uij[0][2], uij[0][1]))
        else:
            riding = "-1.50000" if kind in ("137", "147") else "-1.20000"
            out.append("%-5s %d  %s   11.00000  %s" % (name, sfac, xyz, riding))
    if afix != "0":
        out.append("AFIX    0")
    out.append("HKLF 4")
    out.append("END")
    print("\n".join(out))


if __name__ == "__main__":
    main()
