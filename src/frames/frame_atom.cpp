// The frame decision of one atom: the NO rule, the ring-centre and fused-ring frames, the
// search around an atom without neighbours, the group planarity and the equal neighbour
// pairs; then the rules by neighbour count, the X-H extension and the commit. The decision
// only reads the records and puts what it finds on the FrameDraft, which the commit records. The NO
// rule and the search keep their axes off the atom and off one line, which XD and MoPro cannot make
// a frame of.
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "frames/frame_atom.hpp"
#include "frames/dummies.hpp"
#include "frames/equivalence.hpp"
#include "frames/extend_h.hpp"
#include "frames/frame_analysis.hpp"
#include "frames/frame_driver.hpp"
#include "frames/frame_rules.hpp"
#include "frames/shape_symmetry.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"
#include "topology/planarity.hpp"
#include "topology/rings.hpp"

namespace kova {

void target_atom(const Records& r, FrameDraft& f, int which, int atom) {
    (which == 1 ? f.label1 : f.label2) = pad(r.structure.label[atom], 8);
    (which == 1 ? f.target1 : f.target2) = r.structure.cart[atom];
}

DummyPlace frame_dummy(Io& io, const Records& r, FrameDraft& f, const AnyPosition& point) {
    const DummyChoice choice = choose_dummy(r, f.new_dummies, point);
    if (choice.made) {
        check_dummy_number(io, choice.made->number);
        f.new_dummies.push_back(*choice.made);
    }
    return choice.place;
}

void target_dummy(Io& io, const Records& r, FrameDraft& f, int which, const AnyPosition& point) {
    const DummyPlace d = frame_dummy(io, r, f, point);
    (which == 1 ? f.label1 : f.label2) = pad(dummy_label(d.number), 8);
    (which == 1 ? f.target1 : f.target2) = d.position;
}

AnyPosition in_input_coordinates(const Records& r, const Vec3f& point) {
    if (r.options.crystal_input) return Fractional{point};
    return Cartesian{point};
}

void canonical_order_frame(const Records& r, FrameDraft& f, const char* symmetry) {
    f.site_symmetry = symmetry;
    f.axis1 = 'X';
    target_atom(r, f, 1, f.neighbour_order[1]);
    f.axis2 = 'Y';
    target_atom(r, f, 2, f.neighbour_order[2]);
}

void list_after_empty_line(Io& io, std::string_view text) {
    io.write(Files::listing, "");
    io.write(Files::listing, text);
}

void show_and_list_after_empty_lines(Io& io, std::string_view text) {
    io.write(terminal, "");
    io.write(terminal, text);
    list_after_empty_line(io, text);
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
    Vec3f point;
    const char* text;
};
constexpr FixedPoint kFixedPoints[] = {{{0.0f, 0.0f, 0.0f}, "0,0,0"},
                                       {{0.5f, 0.5f, 0.5f}, "0.5,0.5,0.5"},
                                       {{0.5f, 0.0f, 0.0f}, "0.5,0,0"},
                                       {{0.0f, 0.5f, 0.0f}, "0,0.5,0"},
                                       {{0.0f, 0.0f, 0.5f}, "0,0,0.5"}};
constexpr int kFixedPointCount = static_cast<int>(std::size(kFixedPoints));
using FixedPositions = std::array<Cartesian, kFixedPointCount>;

constexpr float kInLine = 1.0f;   // degrees from 0 or 180: two axes that span no plane

// How far, in degrees, q lies off the line through the atom at a and p: 0 when either point
// is on the atom.
float off_line(const Vec3f& a, const Vec3f& p, const Vec3f& q) {
    const float angle = angle_of_points(p, a, q);
    return std::min(angle, 180.0f - angle);
}

bool in_line(const Vec3f& a, const Vec3f& p, const Vec3f& q) {
    return off_line(a, p, q) <= kInLine;
}

FixedPositions fixed_cartesian(const Records& r) {
    FixedPositions positions{};
    for (int k = 0; k < kFixedPointCount; ++k)
        positions[k] = to_cartesian(r.structure.frac_to_cart,
                                    in_input_coordinates(r, kFixedPoints[k].point));
    return positions;
}

// The first fixed point after `after` that is away from the atom at a and off the line
// through a and `from`. When every one is within a degree of that line (an atom far from
// the points, which then all lie in nearly one direction), the point furthest off it among
// all but `skip`, so that the axis still has a direction.
int fixed_point_off_line(const FixedPositions& positions, const Vec3f& a, const Vec3f& from,
                         int after, int skip) {
    for (int k = after + 1; k < kFixedPointCount; ++k)
        if (distance(positions[k], a) >= on_atom_distance && !in_line(a, from, positions[k]))
            return k;
    int best = -1;
    float widest = -1.0f;
    for (int k = 0; k < kFixedPointCount; ++k) {
        if (k == skip || distance(positions[k], a) < on_atom_distance) continue;
        const float w = off_line(a, from, positions[k]);
        if (w > widest) {
            widest = w;
            best = k;
        }
    }
    return best >= 0 ? best : (skip == 0 ? 1 : 0);  // only in a cell of no size
}

void target_fixed_point(Io& io, const Records& r, FrameDraft& f, int which, int k) {
    target_dummy(io, r, f, which, in_input_coordinates(r, kFixedPoints[k].point));
}

// Y of a frame whose X points at an atom: the first candidate atom (in the order given) off
// the line through the atom and X, or else a dummy at the first fixed point off it. The
// frame is left as the order gives it whenever its first candidate is off the line.
void second_off_line(Io& io, const Records& r, int i, FrameDraft& f,
                     const std::vector<int>& candidates) {
    const Vec3f& a = r.structure.cart[i];
    for (int c : candidates) {
        if (!in_line(a, f.target1, r.structure.cart[c])) {
            target_atom(r, f, 2, c);
            return;
        }
    }
    const int k = fixed_point_off_line(fixed_cartesian(r), a, f.target1, -1, -1);
    show_and_list_after_empty_lines(io, std::string(" Will make dummy at ") + kFixedPoints[k].text);
    target_fixed_point(io, r, f, 2, k);
}

}  // namespace

void fixed_point_target(Io& io, const Records& r, int i, FrameDraft& f, int which) {
    const Vec3f& a = r.structure.cart[i];
    const Vec3f& other = which == 1 ? f.target2 : f.target1;
    const FixedPositions positions = fixed_cartesian(r);
    int k = 0;
    if (distance(positions[0], a) < on_atom_distance || in_line(a, other, positions[0]))
        k = fixed_point_off_line(positions, a, other, 0, 0);
    if (k == 0)
        show_and_list_after_empty_lines(io, " Will make dummy at 0,0,0");
    else
        show_and_list_after_empty_lines(
            io, std::string(" Will make dummy at ") + kFixedPoints[k].text +
                    ": 0,0,0 lies on the atom or on the line of its other axis");
    target_fixed_point(io, r, f, which, k);
}

bool frame_defined(const Records& r, int i, const FrameDraft& f) {
    const Vec3f& a = r.structure.cart[i];
    return distance(f.target1, a) >= on_atom_distance &&
           distance(f.target2, a) >= on_atom_distance && !in_line(a, f.target1, f.target2);
}

namespace {

// True when the target of axis `which` gives it no direction: on the atom, or for the second
// axis on the line of the first (the first moves only when its target is on the atom).
bool target_fails(const Records& r, int i, const FrameDraft& f, int which) {
    const Vec3f& a = r.structure.cart[i];
    const Vec3f& own = which == 1 ? f.target1 : f.target2;
    return distance(own, a) < on_atom_distance || (which == 2 && in_line(a, f.target1, own));
}

// The nearest neighbour that would give axis `which` a direction, or 0.
int neighbour_defining_axis(const Records& r, int i, const FrameDraft& f, int which) {
    const Vec3f& a = r.structure.cart[i];
    const Vec3f& other = which == 1 ? f.target2 : f.target1;
    const NeighbourTable& t = r.topology.neighbours[i];
    for (int m = 1; m <= t.count; ++m) {
        const Vec3f& p = r.structure.cart[t.atom[m]];
        if (distance(p, a) >= on_atom_distance && (which == 1 || !in_line(a, other, p)))
            return t.atom[m];
    }
    return 0;
}

// The safety net behind every rule: a target on the atom, or a second target in line with the
// first, gives way to the nearest neighbour that defines the axis, or else to a fixed point,
// and the listing says so in one line. The rules themselves avoid such targets, so this acts
// only where their shapes are far from any ideal one.
void keep_frame_defined(Io& io, const Records& r, int i, FrameDraft& f) {
    if (frame_defined(r, i, f)) return;
    for (int which = 1; which <= 2; ++which) {
        if (!target_fails(r, i, f, which)) continue;
        const std::string was = trim(which == 1 ? f.label1 : f.label2);
        const char axis = which == 1 ? f.axis1 : f.axis2;
        if (const int c = neighbour_defining_axis(r, i, f, which); c != 0) {
            target_atom(r, f, which, c);
        } else {
            const Vec3f& other = which == 1 ? f.target2 : f.target1;
            target_fixed_point(
                io, r, f, which,
                fixed_point_off_line(fixed_cartesian(r), r.structure.cart[i], other, -1, -1));
        }
        show_and_list_after_empty_lines(
            io, std::string(" Target ") + was + " of the " + axis +
                    "-axis lies on the atom or on the line of its other axis; replaced by " +
                    trim(which == 1 ? f.label1 : f.label2));
    }
}

// Five or more neighbours, TOXD, or an ordered atom next to a disordered one.
void frame_without_site_symmetry(Io& io, const Records& r, int i, FrameDraft& f) {
    const int neighbour_count = r.topology.neighbours[i].count;
    f.site_symmetry = "NO";
    f.axis1 = 'X';
    target_atom(r, f, 1, f.neighbour_order[1]);
    f.axis2 = 'Y';
    // Y from the rest of the canonical order. With one neighbour only (it is disordered) there
    // is none, and Y takes the fixed point that the rules use wherever no atom qualifies.
    std::vector<int> rest;
    for (int m = 2; m <= neighbour_count; ++m) rest.push_back(f.neighbour_order[m]);
    second_off_line(io, r, i, f, rest);
}

// The two fixed points of an atom without neighbours: 0,0,0 and 0.5,0.5,0.5 unless one lies
// on the atom or both on one line with it.
std::pair<int, int> empty_neighbourhood_points(const Records& r, int i) {
    const Vec3f& a = r.structure.cart[i];
    const FixedPositions positions = fixed_cartesian(r);
    int first = 0, second = 1;
    if (distance(positions[first], a) < on_atom_distance)
        first = fixed_point_off_line(positions, a, positions[second], first, second);
    if (distance(positions[second], a) < on_atom_distance ||
        in_line(a, positions[first], positions[second]))
        second = fixed_point_off_line(positions, a, positions[first], 1, first);
    return {first, second};
}

// No neighbours (fewer than 2 under TOXD): the nearest atoms at growing radii, or else two
// fixed points.
void empty_neighbourhood(Io& io, const Records& r, NeighbourIndex& neighbours, int i,
                         FrameDraft& f) {
    float radius = 5.0f;
    NeighbourList found = find_neighbours(io, r, neighbours, i, radius, true);
    while (found.count < 2 && radius < 20.0f) {
        radius += 1.0f;
        found = find_neighbours(io, r, neighbours, i, radius, true);
    }
    f.site_symmetry = "NO";
    f.axis1 = 'X';
    f.axis2 = 'Y';
    if (found.count >= 2) {
        target_atom(r, f, 1, found.atom[1]);
        std::vector<int> rest;
        for (int m = 2; m <= found.count; ++m) rest.push_back(found.atom[m]);
        second_off_line(io, r, i, f, rest);
        return;
    }
    show_and_list_after_empty_lines(io, " No neighbors of atom " + pad(r.structure.label[i], 8) +
                                            " were found within " + ff(radius, 10, 2) +
                                            " Angstroms");
    const auto [first, second] = empty_neighbourhood_points(r, i);
    show_and_list_after_empty_lines(io, std::string(" Will make dummies at ") +
                                            kFixedPoints[first].text + " and " +
                                            kFixedPoints[second].text);
    target_fixed_point(io, r, f, 1, first);
    target_fixed_point(io, r, f, 2, second);
}

// Names the atom whose frame a ring rule could not complete, after the stop's own text.
std::string of_atom(const Records& r, int i) {
    return " of atom " + trim(r.structure.label[static_cast<std::size_t>(i)]);
}

// The mean of the ring members' positions, of the kind `positions` holds.
template <typename Position>
Position ring_centre(const Records& r, int ring, const std::vector<Position>& positions) {
    const int size = r.topology.ring_size[ring];
    Position centre{0.0f, 0.0f, 0.0f};
    for (int m = 1; m <= size; ++m) {
        const Position& p = positions[static_cast<std::size_t>(r.topology.ring_atom[ring][m])];
        for (int k = 0; k < 3; ++k) centre[k] += p[k];
    }
    for (int k = 0; k < 3; ++k) centre[k] = centre[k] / static_cast<float>(size);
    return centre;
}

// The dummy at the centre of the ring: the one the first atom of the ring that asked for it
// made, kept for the rest of the run, or else the dummy this frame asks for at the centre.
DummyPlace ring_centre_dummy(Io& io, const Records& r, FrameDraft& f, int ring) {
    if (const int d = r.topology.ring_dummy[ring]; d != 0) return {d, dummy_cartesian(r, d)};
    const AnyPosition centre = r.options.crystal_input
                                   ? AnyPosition{ring_centre(r, ring, r.structure.frac)}
                                   : AnyPosition{ring_centre(r, ring, r.structure.cart)};
    const DummyPlace d = frame_dummy(io, r, f, centre);
    f.centred_ring = ring;
    f.ring_centre = d.number;
    return d;
}

// X towards the centre dummy of the atom's one planar ring, Y towards a ring neighbour.
void ring_centre_frame(Io& io, const Records& r, int i, FrameDraft& f, int ring) {
    const DummyPlace d = ring_centre_dummy(io, r, f, ring);
    list_after_empty_line(io,
                          " Dummy atom which defines the ring center = " + dummy_label(d.number));
    f.site_symmetry = "m";
    f.axis1 = 'X';
    f.label1 = pad(dummy_label(d.number), 8);
    f.target1 = d.position;
    f.axis2 = 'Y';
    const int neighbour_count = r.topology.neighbours[i].count;
    for (int m = 1; m <= neighbour_count; ++m) {
        if (in_ring(r, ring, f.neighbour_order[m])) {
            target_atom(r, f, 2, f.neighbour_order[m]);
            return;
        }
    }
    fatal_error(io, Files::listing, "DefLoc",
                "Could not find atom to direct Y-axis" + of_atom(r, i));
}

// An atom of two planar rings: X towards the other fusion atom, Y into a six-membered ring.
// False when the fusion neighbour's rings are not 5+6 or 6+6; the rules then decide.
bool fused_ring_frame(Io& io, const Records& r, int i, FrameDraft& f) {
    const int neighbour_count = r.topology.neighbours[i].count;
    f.site_symmetry = "m";
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
        fatal_error(io, Files::listing, "DefLoc",
                    "Could not find atom to direct X-axis" + of_atom(r, i));
    if (fusion_size != 11 && fusion_size != 12) {
        // Dropped: the rule that applies now sets the whole frame afresh.
        f.axis1 = f.axis2 = ' ';
        f.label1 = f.label2 = std::string(8, ' ');
        f.target1 = f.target2 = Cartesian{};
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
    fatal_error(io, Files::listing, "DefLoc",
                "Could not find atom to direct Y-axis" + of_atom(r, i));
}

// The ring situation of the atom; true when a ring frame decided it.
bool ring_situation(Io& io, const Records& r, int i, FrameDraft& f) {
    const RingMembership m = ring_membership(r, i);
    if (!m.in_ring) return false;
    if (m.planar) {
        list_after_empty_line(io,
                              " Atom belongs to only one planar ring ( # " + fi(m.ring, 5) + " )");
        f.planar.rings = 1;
        f.planar.ring_size = m.size;
        if (!r.options.rings.special) return false;
        ring_centre_frame(io, r, i, f, m.ring);
        return true;
    }
    if (m.fused) {
        list_after_empty_line(
            io, " Atom belongs to 2 planar rings of tot numb ( #" + fi(m.ring, 5) + " )");
        f.planar.rings = 2;
        f.planar.ring_size = m.size;
        return r.options.rings.special && fused_ring_frame(io, r, i, f);
    }
    list_after_empty_line(
        io, " This atom belongs to 1 or 2 rings which are NOT planar ' or it belongs to >2 rings");
    list_after_empty_line(io, " Will be treated as if it DOES NOT belong to a ring");
    return false;
}

void group_planarity(Io& io, const Records& r, int i, FrameDraft& f) {
    const int n = r.topology.neighbours[i].count + 1;  // the atom and its neighbours
    f.planar.group = group_is_planar(io, r, i, r.options.verbosity >= 3);
    list_after_empty_line(io, " Atomic group (" + fi(n, 2) + " atoms) planarity (lPG) = ." +
                                  (f.planar.group ? "T" : "F") + ".");
}

void equal_pairs(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const EquivalenceChecks checks = equal_pair_checks(r.options.simple);
    for (int j1 = 1; j1 <= t.count; ++j1) {
        for (int j2 = j1 + 1; j2 <= t.count; ++j2) {
            const int a = t.atom[j1], b = t.atom[j2];
            if (atoms_equivalent(io, r, a, b, checks)) {
                f.equal_pairs.emplace_back(a, b);
                list_after_empty_line(io, " Same atoms : " + fi(a, 6) + fi(b, 6));
            }
        }
    }
    list_after_empty_line(io, " is = " + fi(static_cast<long long>(f.equal_pairs.size()), 4));
}

// What the decision knows of the atom before any rule: the canonical order of its neighbours,
// the disorder around it and its hydrogen neighbours.
FrameDraft start_frame(Io& io, const Records& r, int i) {
    FrameDraft f;
    f.neighbour_order = neighbour_order(io, r, i);
    const NeighbourTable& t = r.topology.neighbours[i];
    f.atom_disordered = r.structure.occupancy_flag[i] == -1;
    for (int m = 1; m <= t.count; ++m)
        if (r.structure.occupancy_flag[t.atom[m]] == -1) f.neighbour_disordered = true;
    f.planar.group = t.count < 4;
    f.hydrogens = (t.type_count >= 1 && t.type_atomic_number[1] == 1) ? t.type_size[1] : 0;
    list_after_empty_line(io, " Number of covalently-bonded H-atoms = " + fi(f.hydrogens, 4));
    return f;
}

// The group planarity and the equal pairs, the rule by neighbour count, and for three or four
// neighbours the check that the neighbours have the site symmetry the rule gave.
void frame_by_neighbour_count(Io& io, const Records& r, NeighbourIndex& neighbours, int i,
                              FrameDraft& f) {
    const int neighbour_count = r.topology.neighbours[i].count;
    if (neighbour_count >= 3) group_planarity(io, r, i, f);
    equal_pairs(io, r, i, f);
    frame_rules(io, r, neighbours, i, f);
    if (neighbour_count >= 3) check_site_symmetry_or_fall_back(io, r, i, f);
}

// The frame the decision and the rules give atom i, before the X-H extension and the last
// check that keeps it defined.
FrameDraft decide_frame(Io& io, const Records& r, NeighbourIndex& neighbours, int i) {
    list_stored_neighbours(io, r, i, Files::listing);
    FrameDraft f = start_frame(io, r, i);
    const int neighbour_count = r.topology.neighbours[i].count;
    const bool toxd = r.options.to_xd;
    if ((toxd && neighbour_count < 2) || (!toxd && neighbour_count == 0))
        empty_neighbourhood(io, r, neighbours, i, f);
    else if (neighbour_count > 4 || toxd || (!f.atom_disordered && f.neighbour_disordered))
        frame_without_site_symmetry(io, r, i, f);
    else if (!ring_situation(io, r, i, f))
        frame_by_neighbour_count(io, r, neighbours, i, f);
    return f;
}

}  // namespace

FrameDraft frame_atom(Io& io, Records& r, int i, FrameAnalysis& analysis) {
    FrameDraft f = decide_frame(io, r, analysis.neighbours, i);
    // The hydrogen rule's atom moves out to the standard X-H distance at once, so that the last
    // check and the commit see it where it stays; its targets stay as the rule chose them.
    if (f.parent != 0 && r.options.extend_h)
        extend_xh_bond(io, r, analysis.neighbours, f.parent, i, f.parent_data);
    keep_frame_defined(io, r, i, f);
    commit_frame_and_results(io, r, i, f, analysis);
    return f;
}

}  // namespace kova
