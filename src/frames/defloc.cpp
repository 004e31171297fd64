// The frame decision of one atom: the NO rule, the ring-centre and fused-ring frames, the
// search around an atom without neighbours, the group planarity and the equal neighbour
// pairs; then the rules by neighbour count and the per-atom tail. The NO rule and the search
// keep their axes off the atom and off one line, which XD and MoPro cannot make a frame of.
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "frames/defloc.hpp"
#include "frames/dummies.hpp"
#include "frames/equivalence.hpp"
#include "frames/frame_index.hpp"
#include "frames/localdef.hpp"
#include "frames/shape_symmetry.hpp"
#include "input/cell.hpp"
#include "main/messages.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"
#include "topology/planarity.hpp"
#include "topology/rings.hpp"

namespace kova {

void target_atom(Records& r, Frame& f, int which, int atom) {
    (which == 1 ? f.at1 : f.at2) = pad(r.atoms.label[atom], 8);
    (which == 1 ? f.xca1 : f.xca2) = r.atoms.xc[atom];
}

void target_dummy(Records& r, Frame& f, int which, int flag, const Vec3f& point) {
    int k = 0;
    Vec3f pc{};
    adddummyatom(r, flag, point[0], point[1], point[2], k, pc[0], pc[1], pc[2]);
    (which == 1 ? f.at1 : f.at2) = pad(r.dummy.dumlab[k], 8);
    (which == 1 ? f.xca1 : f.xca2) = pc;
}

void set_sitesym(Records& r, int i, const char* word) { r.atoms.sitesym[i] = pad(word, 5); }

void listing(Records& r, std::string_view text) {
    r.io.write(r.files.iout, "");
    r.io.write(r.files.iout, text);
}

void both(Records& r, std::string_view text) {
    r.io.write(terminal, "");
    r.io.write(terminal, text);
    listing(r, text);
}

float angle_at(const Records& r, const Vec3f& a, int b, int c) {
    const Vec3f& pb = r.atoms.xc[b];
    const Vec3f& pc = r.atoms.xc[c];
    const float p[9] = {a[0], a[1], a[2], pb[0], pb[1], pb[2], pc[0], pc[1], pc[2]};
    float ang = 0.0f;
    calcang(p, ang);
    return ang;
}

namespace {

bool in_ring(const Records& r, int ring, int atom) {
    for (int m = 1; m <= r.rings.ringsize[ring]; ++m)
        if (r.rings.ringat[ring][m] == atom) return true;
    return false;
}

// The fixed points of the dummy axes, in the input's coordinates, in the order they are
// tried: the first two are the empty neighbourhood's own, the rest stand in where an axis
// through them would have no direction (a point on the atom, or both on one line with it).
struct FixedPoint {
    Vec3f p;
    const char* text;
};
constexpr FixedPoint kFixedPoints[] = {{{0.0f, 0.0f, 0.0f}, "0,0,0"},
                                       {{0.5f, 0.5f, 0.5f}, "0.5,0.5,0.5"},
                                       {{0.5f, 0.0f, 0.0f}, "0.5,0,0"},
                                       {{0.0f, 0.5f, 0.0f}, "0,0.5,0"},
                                       {{0.0f, 0.0f, 0.5f}, "0,0,0.5"}};
constexpr int kNumFixed = static_cast<int>(std::size(kFixedPoints));

constexpr float kOnAtom = 0.1f;   // Å: closer than this a point gives an axis no direction
constexpr float kInLine = 1.0f;   // degrees from 0 or 180: two axes that span no plane

// How far, in degrees, q lies off the line through the atom at a and p: 0 when either point
// is on the atom.
float off_line(const Vec3f& a, const Vec3f& p, const Vec3f& q) {
    const float v[9] = {p[0], p[1], p[2], a[0], a[1], a[2], q[0], q[1], q[2]};
    float ang = 0.0f;
    calcang(v, ang);
    return std::min(ang, 180.0f - ang);
}

bool in_line(const Vec3f& a, const Vec3f& p, const Vec3f& q) { return off_line(a, p, q) <= kInLine; }

float dist(const Vec3f& a, const Vec3f& b) {
    const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The fixed points in Cartesian coordinates.
std::array<Vec3f, kNumFixed> fixed_cartesian(Records& r) {
    std::array<Vec3f, kNumFixed> pc{};
    for (int k = 0; k < kNumFixed; ++k) {
        const Vec3f& p = kFixedPoints[k].p;
        if (r.ifra.ifra == 1)
            rabs(r, 0, p[0], p[1], p[2], pc[k][0], pc[k][1], pc[k][2]);
        else
            pc[k] = p;
    }
    return pc;
}

// The first fixed point after `after` that is away from the atom at a and off the line
// through a and `from`. When every one is within a degree of that line (an atom far from
// the points, which then all lie in nearly one direction), the point furthest off it among
// all but `skip`, so that the axis still has a direction.
int fixed_point_off_line(const std::array<Vec3f, kNumFixed>& pc, const Vec3f& a, const Vec3f& from,
                         int after, int skip) {
    for (int k = after + 1; k < kNumFixed; ++k)
        if (dist(pc[k], a) >= kOnAtom && !in_line(a, from, pc[k])) return k;
    int best = -1;
    float widest = -1.0f;
    for (int k = 0; k < kNumFixed; ++k) {
        if (k == skip || dist(pc[k], a) < kOnAtom) continue;
        const float w = off_line(a, from, pc[k]);
        if (w > widest) {
            widest = w;
            best = k;
        }
    }
    return best >= 0 ? best : (skip == 0 ? 1 : 0);  // only in a cell of no size
}

// Y of a frame whose X points at an atom: the first candidate atom (in the order given) off
// the line through the atom and X, or else a dummy at the first fixed point off it. The
// frame is left as the order gives it whenever its first candidate is off the line.
void second_off_line(Records& r, int i, Frame& f, const std::vector<int>& candidates) {
    const Vec3f& a = r.atoms.xc[i];
    for (int c : candidates) {
        if (!in_line(a, f.xca1, r.atoms.xc[c])) {
            target_atom(r, f, 2, c);
            return;
        }
    }
    const auto pc = fixed_cartesian(r);
    const int k = fixed_point_off_line(pc, a, f.xca1, -1, -1);
    both(r, std::string(" Will make dummy at ") + kFixedPoints[k].text);
    target_dummy(r, f, 2, r.ifra.ifra, kFixedPoints[k].p);
}

}  // namespace

void fixed_point_target(Records& r, int i, Frame& f, int which) {
    const Vec3f& a = r.atoms.xc[i];
    const Vec3f& other = which == 1 ? f.xca2 : f.xca1;
    const auto pc = fixed_cartesian(r);
    int k = 0;
    if (dist(pc[0], a) < kOnAtom || in_line(a, other, pc[0])) k = fixed_point_off_line(pc, a, other, 0, 0);
    if (k == 0)
        both(r, " Will make dummy at 0,0,0");
    else
        both(r, std::string(" Will make dummy at ") + kFixedPoints[k].text +
                    ": 0,0,0 lies on the atom or on the line of its other axis");
    target_dummy(r, f, which, r.ifra.ifra, kFixedPoints[k].p);
}

bool frame_defined(const Records& r, int i, const Frame& f) {
    const Vec3f& a = r.atoms.xc[i];
    return dist(f.xca1, a) >= kOnAtom && dist(f.xca2, a) >= kOnAtom && !in_line(a, f.xca1, f.xca2);
}

namespace {

// The safety net behind every rule: a target on the atom, or a second target in line with the
// first, gives way to the nearest neighbour that defines the axis, or else to a fixed point,
// and the listing says so in one line. The rules themselves avoid such targets, so this acts
// only where their shapes are far from any ideal one.
void keep_frame_defined(Records& r, int i, Frame& f) {
    if (frame_defined(r, i, f)) return;
    const Vec3f& a = r.atoms.xc[i];
    const NeiTable& t = r.neighbors.at[i];
    for (int which = 1; which <= 2; ++which) {
        const Vec3f& own = which == 1 ? f.xca1 : f.xca2;
        const Vec3f& other = which == 1 ? f.xca2 : f.xca1;
        // The first axis moves only when its target is on the atom; the second also when it
        // lies on the first axis's line.
        const bool bad = dist(own, a) < kOnAtom || (which == 2 && in_line(a, other, own));
        if (!bad) continue;
        const std::string was = trim(which == 1 ? f.at1 : f.at2);
        const char axis = which == 1 ? f.ax1 : f.ax2;
        int c = 0;
        for (int m = 1; m <= t.nnei && c == 0; ++m) {
            const Vec3f& p = r.atoms.xc[t.inei[m]];
            if (dist(p, a) >= kOnAtom && (which == 1 || !in_line(a, other, p))) c = t.inei[m];
        }
        if (c != 0) {
            target_atom(r, f, which, c);
        } else {
            const auto pc = fixed_cartesian(r);
            const int k = fixed_point_off_line(pc, a, other, -1, -1);
            target_dummy(r, f, which, r.ifra.ifra, kFixedPoints[k].p);
        }
        both(r, std::string(" Target ") + was + " of the " + axis +
                    "-axis lies on the atom or on the line of its other axis; replaced by " +
                    trim(which == 1 ? f.at1 : f.at2));
    }
}

// Five or more neighbours, TOXD, or an ordered atom next to a disordered one.
void no_rule(Records& r, int i, Frame& f) {
    const int nnei = r.neighbors.at[i].nnei;
    set_sitesym(r, i, "NO");
    f.ax1 = 'X';
    target_atom(r, f, 1, r.isn.isn[1]);
    f.ax2 = 'Y';
    // Y from the rest of the canonical order. With one neighbour only (it is disordered) there
    // is none, and Y takes the fixed point that the rules use wherever no atom qualifies.
    std::vector<int> rest;
    for (int m = 2; m <= nnei; ++m) rest.push_back(r.isn.isn[m]);
    second_off_line(r, i, f, rest);
}

// No neighbours (fewer than 2 under TOXD): the nearest atoms at growing radii.
void empty_neighbourhood(Records& r, int i, Frame& f) {
    float rad = 5.0f;
    findnei(r, i, rad);
    while (r.neig.nnei < 2 && rad < 20.0f) {
        rad += 1.0f;
        findnei(r, i, rad);
    }
    set_sitesym(r, i, "NO");
    f.ax1 = 'X';
    f.ax2 = 'Y';
    if (r.neig.nnei >= 2) {
        target_atom(r, f, 1, r.neig.inei[1]);
        std::vector<int> rest;
        for (int m = 2; m <= r.neig.nnei; ++m) rest.push_back(r.neig.inei[m]);
        second_off_line(r, i, f, rest);
        return;
    }
    both(r, " No neighbors of atom " + pad(r.atoms.label[i], 8) + " were found within " +
                ff(rad, 10, 2) + " Angstroms");
    // The points 0,0,0 and 0.5,0.5,0.5 unless one lies on the atom or both on one line with it.
    const Vec3f& a = r.atoms.xc[i];
    const auto pc = fixed_cartesian(r);
    int k1 = 0, k2 = 1;
    if (dist(pc[k1], a) < kOnAtom) k1 = fixed_point_off_line(pc, a, pc[k2], k1, k2);
    if (dist(pc[k2], a) < kOnAtom || in_line(a, pc[k1], pc[k2]))
        k2 = fixed_point_off_line(pc, a, pc[k1], 1, k1);
    both(r, std::string(" Will make dummies at ") + kFixedPoints[k1].text + " and " +
                kFixedPoints[k2].text);
    target_dummy(r, f, 1, r.ifra.ifra, kFixedPoints[k1].p);
    target_dummy(r, f, 2, r.ifra.ifra, kFixedPoints[k2].p);
}

// X towards the centre dummy of the atom's one planar ring, Y towards a ring neighbour.
void ring_centre_frame(Records& r, int i, Frame& f, int ring) {
    if (r.rings.ringdum[ring] == 0) {
        const int size = r.rings.ringsize[ring];
        Vec3f xm{0.0f, 0.0f, 0.0f};
        for (int m = 1; m <= size; ++m) {
            const int a = r.rings.ringat[ring][m];
            const Vec3f& p = r.ifra.ifra == 1 ? r.atoms.xf[a] : r.atoms.xc[a];
            for (int k = 0; k < 3; ++k) xm[k] += p[k];
        }
        for (int k = 0; k < 3; ++k) xm[k] = xm[k] / static_cast<float>(size);
        int d = 0;
        float xo = 0.0f, yo = 0.0f, zo = 0.0f;
        adddummyatom(r, r.ifra.ifra, xm[0], xm[1], xm[2], d, xo, yo, zo);
        r.rings.ringdum[ring] = d;
    }
    const int d = r.rings.ringdum[ring];
    listing(r, " Dummy atom which defines the ring center = " + r.dummy.dumlab[d]);
    set_sitesym(r, i, "m");
    f.ax1 = 'X';
    f.at1 = pad(r.dummy.dumlab[d], 8);
    const Vec3f& s = r.dummy.dumxyz[d];
    if (r.ifra.ifra == 1)
        rabs(r, 0, s[0], s[1], s[2], f.xca1[0], f.xca1[1], f.xca1[2]);
    else
        f.xca1 = s;
    f.ax2 = 'Y';
    const int nnei = r.neighbors.at[i].nnei;
    for (int m = 1; m <= nnei; ++m) {
        if (in_ring(r, ring, r.isn.isn[m])) {
            target_atom(r, f, 2, r.isn.isn[m]);
            return;
        }
    }
    err(r, "DefLoc", "Could not find atom to direct Y-axis");
}

// An atom of two planar rings: X towards the other fusion atom, Y into a six-membered ring.
// False when the fusion neighbour's rings are not 5+6 or 6+6; the rules then decide.
bool fused_ring_frame(Records& r, int i, Frame& f) {
    const int nnei = r.neighbors.at[i].nnei;
    set_sitesym(r, i, "m");
    f.ax1 = 'X';
    int fusion_size = -1;
    for (int m = 1; m <= nnei && fusion_size < 0; ++m) {
        const int a = r.isn.isn[m];
        bool lcyc = false, lpl = false, lfus = false;
        int iring = 0, isize = 0;
        isitcyclic(r, a, lcyc, lpl, lfus, iring, isize);
        if (lcyc && !lpl) {
            target_atom(r, f, 1, a);
            fusion_size = isize;
        }
    }
    if (fusion_size < 0) err(r, "DefLoc", "Could not find atom to direct X-axis");
    if (fusion_size != 11 && fusion_size != 12) {
        // Dropped: the rule that applies now sets the whole frame afresh.
        f.ax1 = f.ax2 = ' ';
        f.at1 = f.at2 = std::string(8, ' ');
        f.xca1 = f.xca2 = Vec3f{};
        return false;
    }
    f.ax2 = 'Y';
    for (int m = 1; m <= nnei; ++m) {
        const int b = r.isn.isn[m];
        bool lcyc = false, lpl = false, lfus = false;
        int iring = 0, isize = 0;
        isitcyclic(r, b, lcyc, lpl, lfus, iring, isize);
        if (lcyc && lpl && isize == 6) {
            target_atom(r, f, 2, b);
            return true;
        }
    }
    err(r, "DefLoc", "Could not find atom to direct Y-axis");
}

// The ring situation of the atom; true when a ring frame decided it.
bool ring_situation(Records& r, int i, Frame& f) {
    bool lcyc = false, lpl = false, lfus = false;
    int iring = 0, isize = 0;
    isitcyclic(r, i, lcyc, lpl, lfus, iring, isize);
    if (!lcyc) return false;
    if (lpl) {
        listing(r, " Atom belongs to only one planar ring ( # " + fi(iring, 5) + " )");
        r.forring.iring = 1;
        r.forring.imemb = isize;
        if (!r.ring1.lspecial) return false;
        ring_centre_frame(r, i, f, iring);
        return true;
    }
    if (lfus) {
        listing(r, " Atom belongs to 2 planar rings of tot numb ( #" + fi(iring, 5) + " )");
        r.forring.iring = 2;
        r.forring.imemb = isize;
        return r.ring1.lspecial && fused_ring_frame(r, i, f);
    }
    listing(r, " This atom belongs to 1 or 2 rings which are NOT planar ' or it belongs to >2 rings");
    listing(r, " Will be treated as if it DOES NOT belong to a ring");
    return false;
}

void group_planarity(Records& r, int i) {
    std::vector<int> list;
    int n = 0;
    collectnei(r, i, list, n);
    planarity(r, r.verbosity.iverb >= 3 ? 1 : 0, r.lpg.lpg, n, list, 3);
    listing(r, " Atomic group (" + fi(n, 2) + " atoms) planarity (lPG) = ." +
                   (r.lpg.lpg ? "T" : "F") + ".");
}

void equal_pairs(Records& r, int i, Frame& f) {
    const NeiTable& t = r.neighbors.at[i];
    for (int j1 = 1; j1 <= t.nnei; ++j1) {
        for (int j2 = j1 + 1; j2 <= t.nnei; ++j2) {
            const int a = t.inei[j1], b = t.inei[j2];
            if (sameatoms(r, a, b, 0, 0, r.simple.isimple, 0)) {
                f.isame.emplace_back(a, b);
                listing(r, " Same atoms : " + fi(a, 6) + fi(b, 6));
            }
        }
    }
    listing(r, " is = " + fi(static_cast<long long>(f.isame.size()), 4));
}

}  // namespace

void defloc(Records& r, int i) {
    frame_index_for(r, i);
    Frame f;
    r.forring = Forring{};
    r.iprint.iprint = 1;

    prtatomnei(r, i, r.files.iout);
    sortnei(r, i);

    const NeiTable& t = r.neighbors.at[i];
    const int nnei = t.nnei;
    f.atom_disordered = r.atoms1.occflag[i] == -1;
    for (int m = 1; m <= nnei; ++m)
        if (r.atoms1.occflag[t.inei[m]] == -1) f.neighbour_disordered = true;
    r.lpg.lpg = nnei < 4;
    f.nh = (t.ntyp >= 1 && t.iztyp[1] == 1) ? t.ncnt[1] : 0;
    listing(r, " Number of covalently-bonded H-atoms = " + fi(f.nh, 4));

    const bool toxd = r.lsx.ltoxd;
    if ((toxd && nnei < 2) || (!toxd && nnei == 0)) {
        empty_neighbourhood(r, i, f);
    } else if (nnei > 4 || toxd || (!f.atom_disordered && f.neighbour_disordered)) {
        no_rule(r, i, f);
    } else if (!ring_situation(r, i, f)) {
        if (nnei >= 3) group_planarity(r, i);
        equal_pairs(r, i, f);
        const int ndum_before = r.dummy.ndum;
        frame_rules(r, i, f);
        if (nnei >= 3) keep_site_symmetry_true(r, i, f, ndum_before);
    }
    keep_frame_defined(r, i, f);

    frame_tail(r, i, f);
    enter_framed_atom(r, i);
}

}  // namespace kova
