#!/usr/bin/env python3
"""Writes kova's benchmark: a SHELX file of N atoms, its kova.inp and a pseudoatom databank.

    python3 make_bench.py --atoms N [--seed S] --out DIR

DIR gets bench.res, kova.inp and bench.db. The structure is a P2(1)/c crystal whose
asymmetric unit holds copies of a few small organic molecules built from standard bond lengths
and angles, with riding H atoms (AFIX 43, 23, 93, 137, 147 and Uiso -1.2 or -1.5) and
anisotropic C, N, O and S atoms. Most molecules have no ring, so that the whole structure stays
well below the 1000 rings of the ring search; a few molecules are written split across a cell
face, so that NCELLS 1 has to complete them, and the first molecules stand in RESI blocks.
Every atom name is unique (element and running number), as XD wants. The structure keeps
within kova's limits: 100000 atoms with the completion's images, fewer than 1000 rings and
fewer than 1000 dummy atoms (see molecule_list).

No two molecules come closer than van der Waals contact: the molecules are placed one by one
at random positions and orientations, each placement checked against all symmetry images
already placed, and the written coordinates are checked again at the end. Only
random.Random(seed).random() is drawn, whose sequence Python keeps the same across versions,
so a seed gives the same files on every machine of the project.
"""
import argparse
import math
import os
import random
import sys

# symbol: atomic number, van der Waals radius (Bondi), covalent radius of kova's table
ELEMENTS = {
    "C": (6, 1.70, 0.77),
    "H": (1, 1.20, 0.40),
    "N": (7, 1.55, 0.75),
    "O": (8, 1.52, 0.73),
    "S": (16, 1.80, 1.02),
}
SFAC_ORDER = ["C", "H", "N", "O", "S"]
BOND_TOL = 0.2          # kova's default bond tolerance
MARGIN = 0.1            # every bond and non-bond stays this far from the bond limit
WAVE = 0.71073
B_OVER_A, C_OVER_A, BETA = 0.83, 1.21, 98.7
VOLUME_PER_ATOM = 40.0  # A^3 per atom of the cell: loose enough for random placement
MIN_WIDTH = 18.0        # no cell width below this, so no molecule meets its own translate
SPLIT_FRACTION = 0.02   # molecules written across a cell face
RING_BUDGET = 900       # rings the ring search may find, images of split molecules included
DUMMY_BUDGET = 800      # dummy atoms kova may make (it stops at the 1000th)
CAPACITY = 100000       # atoms kova holds, the images of the completion included
# a placement keeps this ratio to the vdW sums, so that the six decimals of the written
# coordinates (up to 3e-4 A in a large cell) cannot bring two molecules into contact
PLACE_RATIO = 1.001
TRIES = 1000            # placements tried for one molecule before the cell is made larger

# P2(1)/c: x,y,z; -x,1/2+y,1/2-z; -x,-y,-z; x,1/2-y,1/2+z as (rotation diagonal, shift)
OPS = [((1, 1, 1), (0.0, 0.0, 0.0)),
       ((-1, 1, -1), (0.0, 0.5, 0.5)),
       ((-1, -1, -1), (0.0, 0.0, 0.0)),
       ((1, -1, 1), (0.0, 0.5, 0.5))]


# ---------------------------------------------------------------------------------------------
# vectors

def add(u, v):
    return (u[0] + v[0], u[1] + v[1], u[2] + v[2])


def sub(u, v):
    return (u[0] - v[0], u[1] - v[1], u[2] - v[2])


def scale(u, s):
    return (u[0] * s, u[1] * s, u[2] * s)


def dot(u, v):
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]


def cross(u, v):
    return (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])


def norm(u):
    return math.sqrt(dot(u, u))


def unit(u):
    return scale(u, 1.0 / norm(u))


def place(a, b, c, bond, angle, torsion):
    """The point d with |cd| = bond, angle b-c-d = angle and torsion a-b-c-d = torsion."""
    bc = unit(sub(c, b))
    n = unit(cross(sub(b, a), bc))
    m = cross(n, bc)
    th, ph = math.radians(angle), math.radians(torsion)
    d = (-bond * math.cos(th), bond * math.sin(th) * math.cos(ph), bond * math.sin(th) * math.sin(ph))
    return add(c, add(scale(bc, d[0]), add(scale(m, d[1]), scale(n, d[2]))))


def bisect_out(x, p, q, bond):
    """The point at bond from x, in the plane of p-x-q, opposite the bisector of p and q."""
    u = unit(add(unit(sub(x, p)), unit(sub(x, q))))
    return add(x, scale(u, bond))


def tetra_pair(x, p, q, bond):
    """The two H atoms of a CH2 group x bonded to p and q, H-C-H about 109.5 degrees."""
    u = unit(add(unit(sub(x, p)), unit(sub(x, q))))
    w = unit(cross(sub(p, x), sub(q, x)))
    half = math.radians(109.47 / 2.0)
    return (add(x, scale(add(scale(u, math.cos(half)), scale(w, math.sin(half))), bond)),
            add(x, scale(add(scale(u, math.cos(half)), scale(w, -math.sin(half))), bond)))


def polygon(n, bond):
    """A regular ring of n atoms in the xy plane about the origin."""
    r = bond / (2.0 * math.sin(math.pi / n))
    return [(r * math.cos(2 * math.pi * k / n), r * math.sin(2 * math.pi * k / n), 0.0)
            for k in range(n)]


def exo(p, bond):
    """A substituent of ring atom p (ring about the origin) along the outward bisector."""
    return add(p, scale(unit(p), bond))


# ---------------------------------------------------------------------------------------------
# molecules

class Molecule:
    """Atoms in writing order: every heavy atom followed by its riding H atoms."""

    def __init__(self, name, rings=0):
        self.name = name
        self.rings = rings
        self.atoms = []   # (element, position, afix, parent index or -1)
        self.bonds = set()

    def heavy(self, el, pos):
        self.atoms.append((el, pos, 0, -1))
        return len(self.atoms) - 1

    def hydrogen(self, parent, pos, afix):
        self.atoms.append(("H", pos, afix, parent))
        self.bond(parent, len(self.atoms) - 1)
        return len(self.atoms) - 1

    def bond(self, i, j):
        self.bonds.add((min(i, j), max(i, j)))

    def pos(self, i):
        return self.atoms[i][1]

    def centred(self):
        n = len(self.atoms)
        c = scale(tuple(sum(a[1][k] for a in self.atoms) for k in range(3)), 1.0 / n)
        self.atoms = [(el, sub(p, c), afix, par) for el, p, afix, par in self.atoms]
        return self

    def radius(self):
        return max(norm(a[1]) for a in self.atoms)


def methyl(m, c, pivot, ref, bond=0.98, start=180.0, afix=137):
    for k in range(3):
        m.hydrogen(c, place(ref, pivot, m.pos(c), bond, 109.47, start + 120.0 * k), afix)


def ring6_with_h(m, skip):
    """A benzene ring of C atoms; H atoms (AFIX 43) on the ring atoms not in skip."""
    ring = polygon(6, 1.39)
    idx = []
    for k in range(6):
        idx.append(m.heavy("C", ring[k]))
        if k not in skip:
            m.hydrogen(idx[-1], exo(ring[k], 0.95), 43)
    for k in range(6):
        m.bond(idx[k], idx[(k + 1) % 6])
    return ring, idx


def cresol():
    m = Molecule("cresol", rings=1)
    ring, c = ring6_with_h(m, skip={0, 3})
    o = m.heavy("O", exo(ring[0], 1.365))
    m.bond(c[0], o)
    m.hydrogen(o, place(ring[1], ring[0], m.pos(o), 0.84, 109.5, 180.0), 147)
    c7 = m.heavy("C", exo(ring[3], 1.506))
    m.bond(c[3], c7)
    methyl(m, c7, ring[3], ring[2], start=90.0)
    return m.centred()


def acetanilide():
    m = Molecule("acetanilide", rings=1)
    ring, c = ring6_with_h(m, skip={0})
    n = m.heavy("N", exo(ring[0], 1.41))
    m.bond(c[0], n)
    pn = m.pos(n)
    p7 = place(ring[1], ring[0], pn, 1.35, 128.0, 180.0)
    m.hydrogen(n, bisect_out(pn, ring[0], p7, 0.88), 43)
    c7 = m.heavy("C", p7)
    m.bond(n, c7)
    o = m.heavy("O", place(ring[0], pn, p7, 1.23, 123.0, 0.0))
    m.bond(c7, o)
    c8 = m.heavy("C", place(ring[0], pn, p7, 1.50, 115.0, 180.0))
    m.bond(c7, c8)
    methyl(m, c8, p7, pn)
    return m.centred()


def imidazole():
    m = Molecule("imidazole", rings=1)
    ring = polygon(5, 1.36)
    idx = []
    for k, el in enumerate(["N", "C", "N", "C", "C"]):
        idx.append(m.heavy(el, ring[k]))
        if k != 2:   # N3 carries no H
            m.hydrogen(idx[-1], exo(ring[k], 0.88 if el == "N" else 0.95), 43)
    for k in range(5):
        m.bond(idx[k], idx[(k + 1) % 5])
    return m.centred()


def hexane():
    m = Molecule("hexane")
    p = [(0.0, 0.0, 0.0), (1.53, 0.0, 0.0)]
    t = math.radians(180.0 - 112.0)
    p.append(add(p[1], (1.53 * math.cos(t), 1.53 * math.sin(t), 0.0)))
    for k in range(3, 6):
        p.append(place(p[k - 3], p[k - 2], p[k - 1], 1.53, 112.0, 180.0))
    c = []
    for k in range(6):
        c.append(m.heavy("C", p[k]))
        if k > 0:
            m.bond(c[k - 1], c[k])
        if k == 0:
            methyl(m, c[0], p[1], p[2])
        elif k == 5:
            methyl(m, c[5], p[4], p[3])
        else:
            for h in tetra_pair(p[k], p[k - 1], p[k + 1], 0.99):
                m.hydrogen(c[k], h, 23)
    return m.centred()


def dmf():
    m = Molecule("dmf")
    pc = (0.0, 0.0, 0.0)
    po = (1.23, 0.0, 0.0)
    a = math.radians(125.0)
    pn = (1.33 * math.cos(a), 1.33 * math.sin(a), 0.0)
    c1 = m.heavy("C", pc)
    m.hydrogen(c1, bisect_out(pc, po, pn, 0.95), 43)
    o = m.heavy("O", po)
    n = m.heavy("N", pn)
    m.bond(c1, o)
    m.bond(c1, n)
    for tor in (0.0, 180.0):
        pm = place(po, pc, pn, 1.45, 121.0, tor)
        cm = m.heavy("C", pm)
        m.bond(n, cm)
        methyl(m, cm, pn, pc, start=60.0)
    return m.centred()


def glycine():
    m = Molecule("glycine")
    pc1 = (0.0, 0.0, 0.0)
    pn = (1.49, 0.0, 0.0)
    a = math.radians(111.0)
    pc2 = (1.52 * math.cos(a), 1.52 * math.sin(a), 0.0)
    n = m.heavy("N", pn)
    methyl(m, n, pc1, pc2, bond=0.91, start=60.0)
    c1 = m.heavy("C", pc1)
    for h in tetra_pair(pc1, pn, pc2, 0.99):
        m.hydrogen(c1, h, 23)
    c2 = m.heavy("C", pc2)
    o1 = m.heavy("O", place(pn, pc1, pc2, 1.25, 117.0, 0.0))
    o2 = m.heavy("O", place(pn, pc1, pc2, 1.25, 117.0, 180.0))
    for i, j in ((n, c1), (c1, c2), (c2, o1), (c2, o2)):
        m.bond(i, j)
    return m.centred()


def urea():
    m = Molecule("urea")
    pc, po = (0.0, 0.0, 0.0), (1.26, 0.0, 0.0)
    c = m.heavy("C", pc)
    o = m.heavy("O", po)
    m.bond(c, o)
    for s in (1.0, -1.0):
        a = math.radians(121.0)
        pn = (1.34 * math.cos(a), s * 1.34 * math.sin(a), 0.0)
        n = m.heavy("N", pn)
        m.bond(c, n)
        for tor in (0.0, 180.0):
            m.hydrogen(n, place(po, pc, pn, 0.88, 120.0, tor), 93)
    return m.centred()


def ethanol():
    m = Molecule("ethanol")
    p1, p2 = (0.0, 0.0, 0.0), (1.51, 0.0, 0.0)
    a = math.radians(180.0 - 109.5)
    po = add(p2, (1.43 * math.cos(a), 1.43 * math.sin(a), 0.0))
    c1 = m.heavy("C", p1)
    methyl(m, c1, p2, po)
    c2 = m.heavy("C", p2)
    for h in tetra_pair(p2, p1, po, 0.99):
        m.hydrogen(c2, h, 23)
    o = m.heavy("O", po)
    m.hydrogen(o, place(p1, p2, po, 0.84, 109.5, 180.0), 147)
    m.bond(c1, c2)
    m.bond(c2, o)
    return m.centred()


def acetic_acid():
    m = Molecule("acetic_acid")
    p1, p2 = (0.0, 0.0, 0.0), (1.50, 0.0, 0.0)
    a = math.radians(180.0 - 123.0)
    po1 = add(p2, (1.21 * math.cos(a), 1.21 * math.sin(a), 0.0))
    po2 = place(po1, p1, p2, 1.31, 112.0, 180.0)
    c1 = m.heavy("C", p1)
    methyl(m, c1, p2, po1)
    c2 = m.heavy("C", p2)
    o1 = m.heavy("O", po1)
    o2 = m.heavy("O", po2)
    m.hydrogen(o2, place(po1, p2, po2, 0.84, 109.5, 0.0), 147)
    for i, j in ((c1, c2), (c2, o1), (c2, o2)):
        m.bond(i, j)
    return m.centred()


def formic_acid():
    m = Molecule("formic_acid")
    pc, po1 = (0.0, 0.0, 0.0), (1.21, 0.0, 0.0)
    a = math.radians(125.0)
    po2 = (1.31 * math.cos(a), 1.31 * math.sin(a), 0.0)
    c = m.heavy("C", pc)
    m.hydrogen(c, bisect_out(pc, po1, po2, 0.95), 43)
    o1 = m.heavy("O", po1)
    o2 = m.heavy("O", po2)
    m.hydrogen(o2, place(po1, pc, po2, 0.84, 109.5, 0.0), 147)
    m.bond(c, o1)
    m.bond(c, o2)
    return m.centred()


def methanol():
    m = Molecule("methanol")
    pc, po = (0.0, 0.0, 0.0), (1.42, 0.0, 0.0)
    a = math.radians(180.0 - 109.5)
    ph = add(po, (0.84 * math.cos(a), 0.84 * math.sin(a), 0.0))
    c = m.heavy("C", pc)
    methyl(m, c, po, ph)
    o = m.heavy("O", po)
    m.hydrogen(o, ph, 147)
    m.bond(c, o)
    return m.centred()


def dmso():
    m = Molecule("dmso")
    ps, po = (0.0, 0.0, 0.0), (1.50, 0.0, 0.0)
    a = math.radians(106.5)
    # the second methyl turned about S=O so that C-S-C is 97.4 degrees
    tor = math.acos((math.cos(math.radians(97.4)) - math.cos(a) ** 2) / math.sin(a) ** 2)
    s = m.heavy("S", ps)
    o = m.heavy("O", po)
    m.bond(s, o)
    for t in (0.0, tor):
        pm = scale((math.cos(a), math.sin(a) * math.cos(t), math.sin(a) * math.sin(t)), 1.79)
        cm = m.heavy("C", pm)
        m.bond(s, cm)
        methyl(m, cm, ps, po)
    return m.centred()


def water():
    m = Molecule("water")
    o = m.heavy("O", (0.0, 0.0, 0.0))
    a = math.radians(104.5)
    m.hydrogen(o, (0.84, 0.0, 0.0), 0)
    m.hydrogen(o, (0.84 * math.cos(a), 0.84 * math.sin(a), 0.0), 0)
    return m.centred()


def formaldehyde():
    m = Molecule("formaldehyde")
    c = m.heavy("C", (0.0, 0.0, 0.0))
    for s in (1.0, -1.0):
        a = math.radians(121.8)
        m.hydrogen(c, (0.95 * math.cos(a), s * 0.95 * math.sin(a), 0.0), 93)
    o = m.heavy("O", (1.21, 0.0, 0.0))
    m.bond(c, o)
    return m.centred()


TEMPLATES = {f.__name__: f() for f in (cresol, acetanilide, imidazole, hexane, dmf, glycine, urea,
                                        ethanol, acetic_acid, formic_acid, methanol, dmso,
                                        water, formaldehyde)}
# how often each molecule is drawn; the ring molecules are kept rare
WEIGHTS = [("cresol", 3), ("acetanilide", 3), ("imidazole", 3), ("hexane", 20), ("dmf", 24),
           ("glycine", 24), ("urea", 24), ("ethanol", 24), ("acetic_acid", 24),
           ("methanol", 20), ("dmso", 10), ("water", 16)]
# dummy atoms kova makes for one molecule (a midpoint of two equal neighbours as an axis)
DUMMIES = {"hexane": 2, "water": 1, "dmso": 1, "acetanilide": 3}
RESIDUES = [("glycine", "GLY"), ("glycine", "GLY"), ("water", "HOH"), ("water", "HOH")]
BIGGEST = max(len(TEMPLATES[n].atoms) for n, _ in WEIGHTS)


def check_template(m):
    """The covalent bonds kova finds (distance at most the two radii plus the tolerance) must
    be the bonds the molecule was built with, each pair clear of the limit by MARGIN."""
    for i in range(len(m.atoms)):
        for j in range(i + 1, len(m.atoms)):
            ei, pi, _, _ = m.atoms[i]
            ej, pj, _, _ = m.atoms[j]
            limit = ELEMENTS[ei][2] + ELEMENTS[ej][2] + BOND_TOL
            d = norm(sub(pi, pj))
            bonded = (i, j) in m.bonds
            if bonded and d > limit - MARGIN or not bonded and d < limit + MARGIN:
                sys.exit("make_bench: molecule %s, atoms %d and %d at %.3f A (limit %.3f)"
                         % (m.name, i + 1, j + 1, d, limit))


# ---------------------------------------------------------------------------------------------
# the crystal

class Cell:
    def __init__(self, n_atoms, volume_per_atom):
        sb = math.sin(math.radians(BETA))
        vol = 4.0 * n_atoms * volume_per_atom
        a = (vol / (B_OVER_A * C_OVER_A * sb)) ** (1.0 / 3.0)
        # the widths between opposite faces are a sin(beta), b and c sin(beta)
        a = max(a, MIN_WIDTH / sb, MIN_WIDTH / B_OVER_A, MIN_WIDTH / (C_OVER_A * sb))
        self.a, self.b, self.c = a, B_OVER_A * a, C_OVER_A * a
        self.cb, self.sb = math.cos(math.radians(BETA)), sb
        self.widths = (self.a * sb, self.b, self.c * sb)

    def to_cart(self, f):
        return (self.a * f[0] + self.c * self.cb * f[2], self.b * f[1], self.c * self.sb * f[2])

    def to_frac(self, x):
        fz = x[2] / (self.c * self.sb)
        return ((x[0] - self.c * self.cb * fz) / self.a, x[1] / self.b, fz)

    def volume(self):
        return self.a * self.b * self.c * self.sb


def image(op, f):
    (r0, r1, r2), (t0, t1, t2) = op
    return (r0 * f[0] + t0, r1 * f[1] + t1, r2 * f[2] + t2)


class Grid:
    """Atoms of the whole crystal (every symmetry image, reduced into the cell) by cell of a
    periodic grid whose cells are at least the largest contact distance wide, so that the
    27 cells around an atom hold every atom within contact of it."""

    def __init__(self, cell, reach):
        self.cell = cell
        self.n = tuple(max(1, int(w / reach)) for w in cell.widths)
        self.cells = {}
        self.a, self.b, self.c = cell.a, cell.b, cell.c
        self.ccb, self.csb = cell.c * cell.cb, cell.c * cell.sb

    def key(self, f):
        n = self.n
        return (int(f[0] * n[0]) % n[0], int(f[1] * n[1]) % n[1], int(f[2] * n[2]) % n[2])

    def insert(self, f, radius, tag):
        f = (f[0] % 1.0, f[1] % 1.0, f[2] % 1.0)
        k = self.key(f)
        self.cells.setdefault(k, []).append((f[0], f[1], f[2], radius, tag))
        return k

    def remove_last(self, k):
        self.cells[k].pop()

    def closest(self, f, radius, tag, stop=True):
        """The smallest ratio distance / (sum of the vdW radii) from the point to any atom of
        another image; with stop, any ratio below 1 ends the search early."""
        f = (f[0] % 1.0, f[1] % 1.0, f[2] % 1.0)
        k0, k1, k2 = self.key(f)
        n0, n1, n2 = self.n
        best = 99.0
        a, b, ccb, csb = self.a, self.b, self.ccb, self.csb
        seen = set()
        for i in (k0 - 1, k0, k0 + 1):
            for j in (k1 - 1, k1, k1 + 1):
                for k in (k2 - 1, k2, k2 + 1):
                    key = (i % n0, j % n1, k % n2)
                    if key in seen:
                        continue
                    seen.add(key)
                    for g0, g1, g2, r, t in self.cells.get(key, ()):
                        if t == tag:
                            continue
                        d0 = f[0] - g0
                        d1 = f[1] - g1
                        d2 = f[2] - g2
                        d0 -= round(d0)
                        d1 -= round(d1)
                        d2 -= round(d2)
                        x = a * d0 + ccb * d2
                        y = b * d1
                        z = csb * d2
                        lim = radius + r
                        dd = x * x + y * y + z * z
                        if dd < lim * lim * best * best:
                            best = math.sqrt(dd) / lim
                            if stop and best < 1.0:
                                return best
        return best


def rotation(rng):
    """A uniformly random rotation matrix (from a random unit quaternion)."""
    u1, u2, u3 = rng.random(), rng.random(), rng.random()
    q0 = math.sqrt(1 - u1) * math.sin(2 * math.pi * u2)
    q1 = math.sqrt(1 - u1) * math.cos(2 * math.pi * u2)
    q2 = math.sqrt(u1) * math.sin(2 * math.pi * u3)
    q3 = math.sqrt(u1) * math.cos(2 * math.pi * u3)
    return ((1 - 2 * (q2 * q2 + q3 * q3), 2 * (q1 * q2 - q0 * q3), 2 * (q1 * q3 + q0 * q2)),
            (2 * (q1 * q2 + q0 * q3), 1 - 2 * (q1 * q1 + q3 * q3), 2 * (q2 * q3 - q0 * q1)),
            (2 * (q1 * q3 - q0 * q2), 2 * (q2 * q3 + q0 * q1), 1 - 2 * (q1 * q1 + q2 * q2)))


def matvec(m, v):
    return (dot(m[0], v), dot(m[1], v), dot(m[2], v))


def floors(fr):
    return [sorted(set(math.floor(f[k]) for f in fr)) for k in range(3)]


class Placed:
    def __init__(self, template, rot, frac, split, resi):
        self.template = template
        self.rot = rot
        self.frac = frac        # fractional coordinates as written
        self.split = split
        self.resi = resi


class Retry(Exception):
    pass


def fillers(left):
    """Formaldehyde, formic acid and methanol (no dummy atoms) making up exactly left atoms,
    with one water where nothing else fits (7 or 3 atoms)."""
    for a in range(left // 4 + 1):
        for b in range((left - 4 * a) // 5 + 1):
            rest = left - 4 * a - 5 * b
            if rest % 6 == 0:
                return ["formaldehyde"] * a + ["formic_acid"] * b + ["methanol"] * (rest // 6)
    if left >= 3:
        return ["water"] + fillers(left - 3)
    sys.exit("make_bench: cannot make up %d atoms of small molecules" % left)


def molecule_list(n_atoms, rng):
    """Molecules in file order, as (name, residue, split): the residues, a random mix, then
    small molecules to make the count exact. A split molecule is written across a cell face:
    the completion adds an image of each of its atoms, and its ring, if any, is found twice.

    kova's limits are kept: at most 100000 atoms with the images, fewer than 1000 rings and
    fewer than 1000 dummy atoms. The dummy atoms come from the molecules of DUMMIES and from
    split molecules (an axis atom that is an image is replaced by a dummy); for large
    structures these molecules are drawn less often, so that the budget lasts to the end."""
    mols = []
    left = n_atoms
    dummies = 0
    if n_atoms >= 100:
        for name, res in RESIDUES:
            mols.append((name, res, False))
            left -= len(TEMPLATES[name].atoms)
            dummies += DUMMIES.get(name, 0)
    total = sum(w for _, w in WEIGHTS)
    mean_size = sum(w * len(TEMPLATES[n].atoms) for n, w in WEIGHTS) / total
    per_mol = sum(w * (DUMMIES.get(n, 0) + SPLIT_FRACTION * len(TEMPLATES[n].atoms))
                  for n, w in WEIGHTS) / total
    thin = min(1.0, 0.7 * DUMMY_BUDGET / (left / mean_size * per_mol))
    weights = [(n, w * thin if DUMMIES.get(n) else w) for n, w in WEIGHTS]
    total = sum(w for _, w in weights)
    room = CAPACITY - n_atoms
    rings = 0
    while left > BIGGEST + 5:
        x = rng.random() * total
        for name, w in weights:
            x -= w
            if x < 0:
                break
        t = TEMPLATES[name]
        size = len(t.atoms)
        split = rng.random() < SPLIT_FRACTION * thin and size <= room
        d = DUMMIES.get(name, 0) + (size if split else 0)
        r = t.rings * (2 if split else 1)
        if rings + r > RING_BUDGET or dummies + d > DUMMY_BUDGET:
            continue
        rings += r
        dummies += d
        if split:
            room -= size
        mols.append((name, None, split))
        left -= size
    if left < 0:
        sys.exit("make_bench: cannot make exactly %d atoms" % n_atoms)
    mols += [(name, None, False) for name in fillers(left)]
    return mols


def build(n_atoms, seed, volume_per_atom):
    rng = random.Random(seed)
    mols = molecule_list(n_atoms, rng)
    cell = Cell(n_atoms, volume_per_atom)
    reach = 2 * max(e[1] for e in ELEMENTS.values())
    grid = Grid(cell, reach)
    placed = []
    for mi, (name, resi, split) in enumerate(mols):
        t = TEMPLATES[name]
        for _ in range(TRIES):
            rot = rotation(rng)
            # the centres fill one asymmetric unit of the cell, 0 <= y < 1/4, so that the atoms
            # read lie as close together as in the crystal, as in a real file
            centre = [rng.random(), 0.25 * rng.random(), rng.random()]
            axis = -1
            if split:
                # the centre on a face, so that the molecule lies across it
                axis = int(rng.random() * 3) % 3
                centre[axis] = (rng.random() - 0.5) * 1.0 / cell.widths[axis]
            cc = cell.to_cart(centre)
            frac = [cell.to_frac(add(cc, matvec(rot, p))) for _, p, _, _ in t.atoms]
            fl = floors(frac)
            if split and [len(fl[k]) for k in range(3)] != [2 if k == axis else 1 for k in range(3)]:
                continue
            inserted = []
            ok = True
            for oi, op in enumerate(OPS):
                tag = (mi, oi)
                for (el, _, _, _), f in zip(t.atoms, frac):
                    if grid.closest(image(op, f), ELEMENTS[el][1], tag) < PLACE_RATIO:
                        ok = False
                        break
                if not ok:
                    break
                for (el, _, _, _), f in zip(t.atoms, frac):
                    inserted.append(grid.insert(image(op, f), ELEMENTS[el][1], tag))
            if ok:
                break
            for k in reversed(inserted):
                grid.remove_last(k)
        else:
            raise Retry()
        if split:
            frac = [(f[0] % 1.0, f[1] % 1.0, f[2] % 1.0) for f in frac]
        placed.append(Placed(t, rot, frac, split, resi))
    return cell, placed, rng


def written(v):
    return float("%.6f" % v)


def verify(cell, placed):
    """Checks the written coordinates: every atom of every symmetry image against all others
    of other molecules (and of other images of its own molecule)."""
    reach = 2 * max(e[1] for e in ELEMENTS.values())
    grid = Grid(cell, reach)
    for mi, p in enumerate(placed):
        for oi, op in enumerate(OPS):
            for (el, _, _, _), f in zip(p.template.atoms, p.frac):
                grid.insert(image(op, tuple(written(x) for x in f)), ELEMENTS[el][1], (mi, oi))
    best = 99.0
    for mi, p in enumerate(placed):
        for (el, _, _, _), f in zip(p.template.atoms, p.frac):
            # the images of the others are met from the first image of this molecule
            fw = tuple(written(x) for x in f)
            best = min(best, grid.closest(fw, ELEMENTS[el][1], (mi, 0), stop=False))
    if best < 1.0:
        sys.exit("make_bench: two molecules closer than van der Waals contact (%.3f)" % best)
    return best


def u_shelx(cell, ucart):
    """Cartesian U to the SHELX Uij of the crystal axes: U* = A^-1 Ucart A^-T, Uij = U*ij/(ai* aj*)."""
    a, b, c, cb, sb = cell.a, cell.b, cell.c, cell.cb, cell.sb
    inv = ((1.0 / a, 0.0, -cb / (a * sb)), (0.0, 1.0 / b, 0.0), (0.0, 0.0, 1.0 / (c * sb)))
    t = [[sum(inv[i][k] * ucart[k][j] for k in range(3)) for j in range(3)] for i in range(3)]
    us = [[sum(t[i][k] * inv[j][k] for k in range(3)) for j in range(3)] for i in range(3)]
    vol = cell.volume()
    recip = (b * c / vol, a * c * sb / vol, a * b / vol)
    return [[us[i][j] / (recip[i] * recip[j]) for j in range(3)] for i in range(3)]


def write_res(path, cell, placed, rng):
    counts = {e: 0 for e in SFAC_ORDER}
    for p in placed:
        for el, _, _, _ in p.template.atoms:
            counts[el] += 1
    sfac = [e for e in SFAC_ORDER if counts[e]]
    number = {e: k + 1 for k, e in enumerate(sfac)}
    run = {e: 0 for e in SFAC_ORDER}
    nat = sum(counts.values())
    out = []
    out.append("TITL bench %d atoms in P2(1)/c, made by make_bench.py" % nat)
    out.append("CELL %8.5f %9.4f %9.4f %9.4f  90.000 %8.3f  90.000"
               % (WAVE, cell.a, cell.b, cell.c, BETA))
    out.append("ZERR    4.00   0.0010   0.0010   0.0010   0.000   0.004   0.000")
    out.append("LATT 1")
    out.append("SYMM -X, 1/2+Y, 1/2-Z")
    out.append("SFAC " + " ".join(sfac))
    out.append("UNIT " + " ".join(str(4 * counts[e]) for e in sfac))
    out.append("L.S. 10")
    out.append("BOND $H")
    out.append("FMAP 2")
    out.append("PLAN 20")
    out.append("WGHT    0.050000    0.100000")
    out.append("FVAR       1.00000")
    in_resi = False
    nresi = 0
    for p in placed:
        if p.resi:
            in_resi = True
            nresi += 1
            out.append("RESI %d %s" % (nresi, p.resi))
        elif in_resi:
            out.append("RESI 0")
            in_resi = False
        names = []
        for el, _, _, _ in p.template.atoms:
            run[el] += 1
            names.append("%s%d" % (el, run[el]))
        afix = 0
        # thermal ellipsoid axes along the molecule's own axes, sizes drawn per atom
        for (el, _, kind, parent), f, name in zip(p.template.atoms, p.frac, names):
            xyz = "%10.6f  %10.6f  %10.6f" % (f[0], f[1], f[2])
            if kind != afix:
                out.append("AFIX %4d" % kind)
                afix = kind
            if el != "H":
                d = (0.014 + 0.010 * rng.random(), 0.018 + 0.010 * rng.random(),
                     0.024 + 0.012 * rng.random())
                r = p.rot
                uc = [[sum(r[i][k] * d[k] * r[j][k] for k in range(3)) for j in range(3)]
                      for i in range(3)]
                u = u_shelx(cell, uc)
                out.append("%-6s %d  %s   11.00000  %8.5f  %8.5f =" % (name, number[el], xyz, u[0][0], u[1][1]))
                out.append("        %8.5f  %8.5f  %8.5f  %8.5f" % (u[2][2], u[1][2], u[0][2], u[0][1]))
            elif kind == 0:
                out.append("%-6s %d  %s   11.00000  %8.5f" % (name, number[el], xyz, 0.030 + 0.02 * rng.random()))
            else:
                riding = "-1.50000" if kind in (137, 147) else "-1.20000"
                out.append("%-6s %d  %s   11.00000  %s" % (name, number[el], xyz, riding))
        if afix:
            out.append("AFIX    0")
    if in_resi:
        out.append("RESI 0")
    out.append("HKLF 4")
    out.append("END")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")
    return nat


def write_inp(path, n_atoms):
    lines = [
        "! kova benchmark: %d atoms made by bench/make_bench.py" % n_atoms,
        "FORMAT  *shelx xd aim2tab platon",
        "INPUT   bench.res",
        "VERBOSE  1",
        "! complete the molecules within one cell around the asymmetric unit",
        "NCELLS  1",
        "KEYGEN  *XYZUIJ all *ordered  *MULT all *ordered *kappas",
        "Extend_H",
        "RINGS  3  8",
        "DATABANK bench.db",
        "! all atoms form one neutral fragment",
        "CHFRAG 0",
    ]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------------------------------------
# the databank: about 3000 invented entries, most of them for C, H, N and O

PVAL = {1: 1, 5: 3, 6: 4, 7: 5, 8: 6, 9: 7, 14: 4, 15: 5, 16: 6, 17: 7}
SYMBOL = {1: "H", 5: "B", 6: "C", 7: "N", 8: "O", 9: "F", 14: "Si", 15: "P", 16: "S", 17: "Cl"}
# element: neighbour elements, neighbour counts, entries wanted
HEAVY = [(6, (1, 6, 7, 8, 16), (1, 2, 3, 4), 1200), (7, (1, 6, 7, 8), (1, 2, 3, 4), 540),
         (8, (1, 6, 7, 8, 15, 16), (1, 2), 400), (16, (6, 7, 8, 16, 1), (1, 2, 3, 4), 120),
         (15, (6, 8, 7), (4,), 60), (5, (1, 6, 8), (3, 4), 50), (14, (1, 6, 8), (4,), 50),
         (9, (6,), (1,), 15), (17, (6,), (1,), 15)]
HYDROGEN_ENTRIES = 570
RING_CASES = [(0, 0), (1, 5), (1, 6), (2, 11), (2, 12)]
SYMS = {1: ["m", "cyl"], 2: ["m", "mm2", "cyl"], 3: ["m", "mm2", "3m", "NO"],
        4: ["NO", "m", "mm2", "3m", "-42m"]}
GROUPS = {6: ["ketone", "aldehyde", "ester", "carboxylic", "carboxylate", "amide", "urea",
              "aromatic", "aromatketone", "carbamate"],
          7: ["planar amine", "pyramidal amine", "ammonium", "amide", "NO2", "urea",
              "aminophenyl"],
          8: ["alcohol", "phenol", "c-O-c", "ketone", "carboxylate", "carboxylic", "ester",
              "aldehyde", "amide"],
          1: ["c-o-H", "x-o-H", "p-o-H", "b-o-H", "amidoH", "x2-n-H"]}


def multisets(items, k):
    if k == 0:
        return [()]
    if not items:
        return []
    first, rest = items[0], items[1:]
    return [(first,) + m for m in multisets(items, k - 1)] + multisets(rest, k)


def params(rng, z):
    """Invented pseudoatom parameters near the free atom's."""
    h = z == 1
    pv = PVAL[z] + (rng.random() - 0.5) * (0.3 if h else 0.6) - (0.15 if h else 0.0)
    kappa = (1.15 + 0.1 * rng.random()) if h else (0.97 + 0.05 * rng.random())
    kappa2 = (1.1 + 0.2 * rng.random()) if h else (0.8 + 0.4 * rng.random())
    lines = ["PVAL  %8.4f  %7.4f  %7.4f  %7.4f" % (pv, kappa, kappa2, 0.01 + 0.09 * rng.random())]
    lmax = 2 if h else 4
    triples = []
    for l in range(0 if h else 1, lmax + 1):
        for m in range(-l, l + 1):
            if l == 0 or rng.random() < (0.9 if h and m == 0 else 0.35):
                triples.append("%d %2d %7.4f" % (l, m, (rng.random() - 0.5) * 0.4))
    for k in range(0, len(triples), 6):
        lines.append("PLMS  " + "   ".join(triples[k:k + 6]))
    return lines


def write_databank(path, seed=2718):
    rng = random.Random(seed)
    entries = []
    # The non-H entries: every neighbour set of each element in every ring situation, site
    # symmetry and planarity is a candidate; a random choice of them, in a fixed order.
    for z, partners, counts, wanted in HEAVY:
        cands = []
        for n in counts:
            for ms in multisets(list(partners), n):
                heavy = sum(1 for p in ms if p != 1)
                rings = RING_CASES if heavy >= 2 else RING_CASES[:1]
                for iring, memb in rings:
                    for sym in [""] + SYMS[n]:
                        for planar in (("T", "F") if sym else ("",)):
                            cands.append((n, ms, iring, memb, sym, planar))
        pick = sorted(range(len(cands)), key=lambda _: rng.random())[:wanted]
        for k in sorted(pick):
            n, ms, iring, memb, sym, planar = cands[k]
            group = None
            if z in GROUPS and rng.random() < 0.12:
                group = GROUPS[z][int(rng.random() * len(GROUPS[z])) % len(GROUPS[z])]
            entries.append(("heavy", z, (n, ms, iring, memb, sym, planar), group))
    # the H entries: parent element, its neighbour count, its H count, site symmetry, group
    cands = []
    for pz, pmax in ((6, 4), (7, 4), (8, 2), (16, 4), (5, 4), (14, 4), (15, 4)):
        for pn in range(1, pmax + 1):
            for hn in range(1, pn + 1):
                for sym in ("cyl", "m", "mm2", "3m", "NO"):
                    for group in [None] + GROUPS[1]:
                        cands.append((pz, pn, hn, sym, group))
    pick = sorted(range(len(cands)), key=lambda _: rng.random())[:HYDROGEN_ENTRIES]
    for k in sorted(pick):
        pz, pn, hn, sym, group = cands[k]
        entries.append(("h", 1, (pz, pn, hn, sym), group))

    out = ["! kova benchmark databank: %d entries of invented parameters (make_bench.py)"
           % len(entries),
           "! not for refinement: the values are made up to have the size and layout of a",
           "! published pseudoatom databank",
           ""]
    serial = {}
    for kind, z, key, group in entries:
        serial[z] = serial.get(z, 0) + 1
        code = "%s%04d" % (SYMBOL[z].upper(), serial[z])
        if kind == "heavy":
            n, ms, iring, memb, sym, planar = key
            types = sorted(set(ms))
            what = ", ".join("%d %s" % (ms.count(t), SYMBOL[t]) for t in types)
            ring = {0: "no planar ring", 1: "one planar %d-ring" % memb,
                    2: "two planar rings (%d)" % memb}[iring]
            out.append("ATOM  %3d  %s  %s bonded to %s; %s; site %s%s"
                       % (z, code, SYMBOL[z], what, ring, sym or "any",
                          "" if not planar else ", planar " + planar))
            neig = "NEIG  nnei %d  ntyp %d  iring %d  imemb %2d" % (n, len(types), iring, memb)
            if sym:
                neig += "  %s  planar %s" % (sym, planar)
            out.append(neig)
            for k, t in enumerate(types):
                out.append("  %3d  %3d  %3d" % (k + 1, t, ms.count(t)))
        else:
            pz, pn, hn, sym = key
            out.append("ATOM  %3d  %s  H on %s with %d neighbours (%d H); site %s"
                       % (z, code, SYMBOL[pz], pn, hn, sym))
            out.append("PRNT  jhp %2d  jsp %d  jhnei %d  %s" % (pz, pn, hn, sym))
        if group:
            out.append("EXCEPT GROUP %s" % group)
        out += params(rng, z)
        out.append("")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")
    return len(entries)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--atoms", type=int, required=True, help="number of atoms")
    ap.add_argument("--seed", type=int, default=1, help="seed of the placement")
    ap.add_argument("--out", required=True, help="directory for bench.res, kova.inp, bench.db")
    opt = ap.parse_args()
    if not 6 <= opt.atoms <= 100000:
        sys.exit("make_bench: the number of atoms must be 6 to 100000")
    for t in TEMPLATES.values():
        check_template(t)
    os.makedirs(opt.out, exist_ok=True)
    vpa = VOLUME_PER_ATOM
    while True:
        try:
            cell, placed, rng = build(opt.atoms, opt.seed, vpa)
            break
        except Retry:
            vpa *= 1.1
    contact = verify(cell, placed)
    nat = write_res(os.path.join(opt.out, "bench.res"), cell, placed, rng)
    assert nat == opt.atoms, (nat, opt.atoms)
    write_inp(os.path.join(opt.out, "kova.inp"), nat)
    ndb = write_databank(os.path.join(opt.out, "bench.db"))
    ring_mols = sum(1 for p in placed if p.template.rings)
    rings = sum(p.template.rings * (2 if p.split else 1) for p in placed)
    dummies = sum(DUMMIES.get(p.template.name, 0) + (len(p.template.atoms) if p.split else 0)
                  for p in placed)
    print("bench.res: %d atoms, %d molecules (%d with a ring, %d split across a cell face, "
          "%d in residues); cell %.3f %.3f %.3f beta %.1f; closest contact %s; %d rings after "
          "completion, at most about %d dummy atoms; bench.db: %d entries"
          % (nat, len(placed), ring_mols, sum(1 for p in placed if p.split),
             sum(1 for p in placed if p.resi), cell.a, cell.b, cell.c, BETA,
             "%.3f of the vdW sum" % contact if contact < 99.0 else "none",
             rings, dummies, ndb))


if __name__ == "__main__":
    main()
