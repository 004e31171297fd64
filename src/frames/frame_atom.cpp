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

#include "frames/frame_atom.hpp"
#include "frames/dummies.hpp"
#include "frames/equivalence.hpp"
#include "frames/frame_index.hpp"
#include "frames/frame_driver.hpp"
#include "frames/shape_symmetry.hpp"
#include "input/cell.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"
#include "topology/planarity.hpp"
#include "topology/rings.hpp"

namespace kova {

void target_atom(Records& r, Frame& f, int which, int atom) {
    (which == 1 ? f.label1 : f.label2) = pad(r.structure.label[atom], 8);
    (which == 1 ? f.target1 : f.target2) = r.structure.cart[atom];
}

void target_dummy(Records& r, Frame& f, int which, bool fractional, const Vec3f& point) {
    const DummyPlace d = add_dummy_atom(r, fractional, point);
    (which == 1 ? f.label1 : f.label2) = pad(r.frames.dummy_label[d.number], 8);
    (which == 1 ? f.target1 : f.target2) = d.position;
}

void set_site_symmetry(Records& r, int i, const char* word) {
    r.structure.site_symmetry[i] = pad(word, 5);
}

void write_listing_line(Records& r, std::string_view text) {
    r.io.write(r.files.listing, "");
    r.io.write(r.files.listing, text);
}

void write_terminal_and_listing(Records& r, std::string_view text) {
    r.io.write(terminal, "");
    r.io.write(terminal, text);
    write_listing_line(r, text);
}

float angle_at(const Records& r, const Vec3f& a, int b, int c) {
    return angle_of_points(a, r.structure.cart[b], r.structure.cart[c]);
}

namespace {

bool in_ring(const Records& r, int ring, int atom) {
    for (int m = 1; m <= r.topology.ring_size[ring]; ++m)
        if (r.topology.ring_atom[ring][m] == atom) return true;
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

constexpr float kInLine = 1.0f;   // degrees from 0 or 180: two axes that span no plane

// How far, in degrees, q lies off the line through the atom at a and p: 0 when either point
// is on the atom.
float off_line(const Vec3f& a, const Vec3f& p, const Vec3f& q) {
    const float ang = angle_of_points(p, a, q);
    return std::min(ang, 180.0f - ang);
}

bool in_line(const Vec3f& a, const Vec3f& p, const Vec3f& q) {
    return off_line(a, p, q) <= kInLine;
}

// The fixed points in Cartesian coordinates.
std::array<Vec3f, kNumFixed> fixed_cartesian(Records& r) {
    std::array<Vec3f, kNumFixed> pc{};
    for (int k = 0; k < kNumFixed; ++k) {
        const Vec3f& p = kFixedPoints[k].p;
        if (r.options.crystal_input)
            pc[k] = to_cartesian(r.structure.frac_to_cart, p);
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
        if (distance(pc[k], a) >= on_atom_distance && !in_line(a, from, pc[k])) return k;
    int best = -1;
    float widest = -1.0f;
    for (int k = 0; k < kNumFixed; ++k) {
        if (k == skip || distance(pc[k], a) < on_atom_distance) continue;
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
    const Vec3f& a = r.structure.cart[i];
    for (int c : candidates) {
        if (!in_line(a, f.target1, r.structure.cart[c])) {
            target_atom(r, f, 2, c);
            return;
        }
    }
    const auto pc = fixed_cartesian(r);
    const int k = fixed_point_off_line(pc, a, f.target1, -1, -1);
    write_terminal_and_listing(r, std::string(" Will make dummy at ") + kFixedPoints[k].text);
    target_dummy(r, f, 2, r.options.crystal_input, kFixedPoints[k].p);
}

}  // namespace

void fixed_point_target(Records& r, int i, Frame& f, int which) {
    const Vec3f& a = r.structure.cart[i];
    const Vec3f& other = which == 1 ? f.target2 : f.target1;
    const auto pc = fixed_cartesian(r);
    int k = 0;
    if (distance(pc[0], a) < on_atom_distance || in_line(a, other, pc[0]))
        k = fixed_point_off_line(pc, a, other, 0, 0);
    if (k == 0)
        write_terminal_and_listing(r, " Will make dummy at 0,0,0");
    else
        write_terminal_and_listing(r, std::string(" Will make dummy at ") + kFixedPoints[k].text +
                    ": 0,0,0 lies on the atom or on the line of its other axis");
    target_dummy(r, f, which, r.options.crystal_input, kFixedPoints[k].p);
}

bool frame_defined(const Records& r, int i, const Frame& f) {
    const Vec3f& a = r.structure.cart[i];
    return distance(f.target1, a) >= on_atom_distance && distance(f.target2, a) >= on_atom_distance &&
           !in_line(a, f.target1, f.target2);
}

namespace {

// The safety net behind every rule: a target on the atom, or a second target in line with the
// first, gives way to the nearest neighbour that defines the axis, or else to a fixed point,
// and the listing says so in one line. The rules themselves avoid such targets, so this acts
// only where their shapes are far from any ideal one.
void keep_frame_defined(Records& r, int i, Frame& f) {
    if (frame_defined(r, i, f)) return;
    const Vec3f& a = r.structure.cart[i];
    const NeighbourTable& t = r.topology.neighbours[i];
    for (int which = 1; which <= 2; ++which) {
        const Vec3f& own = which == 1 ? f.target1 : f.target2;
        const Vec3f& other = which == 1 ? f.target2 : f.target1;
        // The first axis moves only when its target is on the atom; the second also when it
        // lies on the first axis's line.
        const bool bad = distance(own, a) < on_atom_distance || (which == 2 && in_line(a, other, own));
        if (!bad) continue;
        const std::string was = trim(which == 1 ? f.label1 : f.label2);
        const char axis = which == 1 ? f.axis1 : f.axis2;
        int c = 0;
        for (int m = 1; m <= t.count && c == 0; ++m) {
            const Vec3f& p = r.structure.cart[t.atom[m]];
            if (distance(p, a) >= on_atom_distance && (which == 1 || !in_line(a, other, p)))
                c = t.atom[m];
        }
        if (c != 0) {
            target_atom(r, f, which, c);
        } else {
            const auto pc = fixed_cartesian(r);
            const int k = fixed_point_off_line(pc, a, other, -1, -1);
            target_dummy(r, f, which, r.options.crystal_input, kFixedPoints[k].p);
        }
        write_terminal_and_listing(r, std::string(" Target ") + was + " of the " + axis +
                    "-axis lies on the atom or on the line of its other axis; replaced by " +
                    trim(which == 1 ? f.label1 : f.label2));
    }
}

// Five or more neighbours, TOXD, or an ordered atom next to a disordered one.
void no_rule(Records& r, int i, Frame& f) {
    const int neighbour_count = r.topology.neighbours[i].count;
    set_site_symmetry(r, i, "NO");
    f.axis1 = 'X';
    target_atom(r, f, 1, f.neighbour_order[1]);
    f.axis2 = 'Y';
    // Y from the rest of the canonical order. With one neighbour only (it is disordered) there
    // is none, and Y takes the fixed point that the rules use wherever no atom qualifies.
    std::vector<int> rest;
    for (int m = 2; m <= neighbour_count; ++m) rest.push_back(f.neighbour_order[m]);
    second_off_line(r, i, f, rest);
}

// No neighbours (fewer than 2 under TOXD): the nearest atoms at growing radii.
void empty_neighbourhood(Records& r, int i, Frame& f) {
    float rad = 5.0f;
    NeighbourList found = find_neighbours(r.io, r, i, rad, true);
    while (found.count < 2 && rad < 20.0f) {
        rad += 1.0f;
        found = find_neighbours(r.io, r, i, rad, true);
    }
    set_site_symmetry(r, i, "NO");
    f.axis1 = 'X';
    f.axis2 = 'Y';
    if (found.count >= 2) {
        target_atom(r, f, 1, found.atom[1]);
        std::vector<int> rest;
        for (int m = 2; m <= found.count; ++m) rest.push_back(found.atom[m]);
        second_off_line(r, i, f, rest);
        return;
    }
    write_terminal_and_listing(r, " No neighbors of atom " + pad(r.structure.label[i], 8) +
                                      " were found within " + ff(rad, 10, 2) + " Angstroms");
    // The points 0,0,0 and 0.5,0.5,0.5 unless one lies on the atom or both on one line with it.
    const Vec3f& a = r.structure.cart[i];
    const auto pc = fixed_cartesian(r);
    int k1 = 0, k2 = 1;
    if (distance(pc[k1], a) < on_atom_distance) k1 = fixed_point_off_line(pc, a, pc[k2], k1, k2);
    if (distance(pc[k2], a) < on_atom_distance || in_line(a, pc[k1], pc[k2]))
        k2 = fixed_point_off_line(pc, a, pc[k1], 1, k1);
    write_terminal_and_listing(r, std::string(" Will make dummies at ") + kFixedPoints[k1].text +
                                      " and " + kFixedPoints[k2].text);
    target_dummy(r, f, 1, r.options.crystal_input, kFixedPoints[k1].p);
    target_dummy(r, f, 2, r.options.crystal_input, kFixedPoints[k2].p);
}

// Names the atom whose frame a ring rule could not complete, after the stop's own text.
std::string of_atom(const Records& r, int i) {
    return " of atom " + trim(r.structure.label[static_cast<std::size_t>(i)]);
}

// X towards the centre dummy of the atom's one planar ring, Y towards a ring neighbour.
void ring_centre_frame(Records& r, int i, Frame& f, int ring) {
    if (r.topology.ring_dummy[ring] == 0) {
        const int size = r.topology.ring_size[ring];
        Vec3f xm{0.0f, 0.0f, 0.0f};
        for (int m = 1; m <= size; ++m) {
            const int a = r.topology.ring_atom[ring][m];
            const Vec3f& p =
                r.options.crystal_input ? r.structure.frac[a] : r.structure.cart[a];
            for (int k = 0; k < 3; ++k) xm[k] += p[k];
        }
        for (int k = 0; k < 3; ++k) xm[k] = xm[k] / static_cast<float>(size);
        r.topology.ring_dummy[ring] = add_dummy_atom(r, r.options.crystal_input, xm).number;
    }
    const int d = r.topology.ring_dummy[ring];
    write_listing_line(r, " Dummy atom which defines the ring center = " + r.frames.dummy_label[d]);
    set_site_symmetry(r, i, "m");
    f.axis1 = 'X';
    f.label1 = pad(r.frames.dummy_label[d], 8);
    const Vec3f& s = r.frames.dummy_xyz[d];
    if (r.options.crystal_input)
        f.target1 = to_cartesian(r.structure.frac_to_cart, s);
    else
        f.target1 = s;
    f.axis2 = 'Y';
    const int neighbour_count = r.topology.neighbours[i].count;
    for (int m = 1; m <= neighbour_count; ++m) {
        if (in_ring(r, ring, f.neighbour_order[m])) {
            target_atom(r, f, 2, f.neighbour_order[m]);
            return;
        }
    }
    fatal_error(r, "DefLoc", "Could not find atom to direct Y-axis" + of_atom(r, i));
}

// An atom of two planar rings: X towards the other fusion atom, Y into a six-membered ring.
// False when the fusion neighbour's rings are not 5+6 or 6+6; the rules then decide.
bool fused_ring_frame(Records& r, int i, Frame& f) {
    const int neighbour_count = r.topology.neighbours[i].count;
    set_site_symmetry(r, i, "m");
    f.axis1 = 'X';
    int fusion_size = -1;
    for (int m = 1; m <= neighbour_count && fusion_size < 0; ++m) {
        const int a = f.neighbour_order[m];
        const RingMembership rings = ring_membership(r, a);
        if (rings.in_ring && !rings.planar) {
            target_atom(r, f, 1, a);
            fusion_size = rings.size;
        }
    }
    if (fusion_size < 0)
        fatal_error(r, "DefLoc", "Could not find atom to direct X-axis" + of_atom(r, i));
    if (fusion_size != 11 && fusion_size != 12) {
        // Dropped: the rule that applies now sets the whole frame afresh.
        f.axis1 = f.axis2 = ' ';
        f.label1 = f.label2 = std::string(8, ' ');
        f.target1 = f.target2 = Vec3f{};
        return false;
    }
    f.axis2 = 'Y';
    for (int m = 1; m <= neighbour_count; ++m) {
        const int b = f.neighbour_order[m];
        const RingMembership rings = ring_membership(r, b);
        if (rings.in_ring && rings.planar && rings.size == 6) {
            target_atom(r, f, 2, b);
            return true;
        }
    }
    fatal_error(r, "DefLoc", "Could not find atom to direct Y-axis" + of_atom(r, i));
}

// The ring situation of the atom; true when a ring frame decided it.
bool ring_situation(Records& r, int i, Frame& f) {
    const RingMembership m = ring_membership(r, i);
    if (!m.in_ring) return false;
    if (m.planar) {
        write_listing_line(r, " Atom belongs to only one planar ring ( # " + fi(m.ring, 5) + " )");
        f.planar.rings = 1;
        f.planar.ring_size = m.size;
        if (!r.options.rings.special) return false;
        ring_centre_frame(r, i, f, m.ring);
        return true;
    }
    if (m.fused) {
        write_listing_line(
            r, " Atom belongs to 2 planar rings of tot numb ( #" + fi(m.ring, 5) + " )");
        f.planar.rings = 2;
        f.planar.ring_size = m.size;
        return r.options.rings.special && fused_ring_frame(r, i, f);
    }
    write_listing_line(
        r, " This atom belongs to 1 or 2 rings which are NOT planar ' or it belongs to >2 rings");
    write_listing_line(r, " Will be treated as if it DOES NOT belong to a ring");
    return false;
}

void group_planarity(Records& r, int i, Frame& f) {
    const std::vector<int> list = collect_neighbours(r, i);
    const int n = static_cast<int>(list.size()) - 1;
    f.planar.group = planarity(r.io, r, r.options.verbosity >= 3, n, list, PlanarityKind::group);
    write_listing_line(r, " Atomic group (" + fi(n, 2) + " atoms) planarity (lPG) = ." +
                   (f.planar.group ? "T" : "F") + ".");
}

void equal_pairs(Records& r, int i, Frame& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    for (int j1 = 1; j1 <= t.count; ++j1) {
        for (int j2 = j1 + 1; j2 <= t.count; ++j2) {
            const int a = t.atom[j1], b = t.atom[j2];
            if (atoms_equivalent(r, a, b, 0, 0, r.options.simple, 0)) {
                f.equal_pairs.emplace_back(a, b);
                write_listing_line(r, " Same atoms : " + fi(a, 6) + fi(b, 6));
            }
        }
    }
    write_listing_line(r, " is = " + fi(static_cast<long long>(f.equal_pairs.size()), 4));
}

}  // namespace

Frame frame_atom(Records& r, int i) {
    frame_index_for(r, i);
    Frame f;
    list_stored_neighbours(r.io, r, i, r.files.listing);
    f.neighbour_order = neighbour_order(r.io, r, i);

    const NeighbourTable& t = r.topology.neighbours[i];
    const int neighbour_count = t.count;
    f.atom_disordered = r.structure.occupancy_flag[i] == -1;
    for (int m = 1; m <= neighbour_count; ++m)
        if (r.structure.occupancy_flag[t.atom[m]] == -1) f.neighbour_disordered = true;
    f.planar.group = neighbour_count < 4;
    f.hydrogens = (t.type_count >= 1 && t.type_atomic_number[1] == 1) ? t.type_size[1] : 0;
    write_listing_line(r, " Number of covalently-bonded H-atoms = " + fi(f.hydrogens, 4));

    const bool toxd = r.options.to_xd;
    if ((toxd && neighbour_count < 2) || (!toxd && neighbour_count == 0)) {
        empty_neighbourhood(r, i, f);
    } else if (neighbour_count > 4 || toxd || (!f.atom_disordered && f.neighbour_disordered)) {
        no_rule(r, i, f);
    } else if (!ring_situation(r, i, f)) {
        if (neighbour_count >= 3) group_planarity(r, i, f);
        equal_pairs(r, i, f);
        const int dummies_before = r.frames.dummy_count;
        frame_rules(r, i, f);
        if (neighbour_count >= 3) keep_site_symmetry_true(r, i, f, dummies_before);
    }
    keep_frame_defined(r, i, f);

    frame_tail(r, i, f);
    enter_framed_atom(r, i);
    return f;
}

}  // namespace kova
