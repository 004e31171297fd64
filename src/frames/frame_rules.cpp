// The frame rules for atoms with one to four neighbours, chosen by the neighbour count and then
// by the element (one neighbour), the bond angle (two), the group planarity (three) and the
// equal pairs. Where no neighbour can fix the second axis, a rule searches the surroundings at
// growing radii and, when nothing qualifies, points the axis at a dummy atom at 0,0,0.
#include "frames/frame_rules.hpp"

#include <cmath>
#include <string>

#include "frames/dummies.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"

namespace kova {

namespace {

const Vec3f kOrigin{0.0f, 0.0f, 0.0f};

bool accepted_bend(float angle) { return angle > 10.0f && angle <= 160.0f; }

bool near_angle(float angle, float ideal) { return std::fabs(angle - ideal) <= shape_tolerance; }

int pair_count(const FrameDraft& f) { return static_cast<int>(f.equal_pairs.size()); }

// A search found nothing: the second axis points at a fixed point off the atom and off the
// first axis's line.
void not_found(Io& io, const Records& r, int i, FrameDraft& f, int centre, float radius) {
    show_and_list_after_empty_lines(
        io, " No neighbors of atom " + pad(r.structure.label[centre], 8) + " were found within " +
                ff(radius, 10, 2) + " Angstroms");
    fixed_point_target(io, r, i, f, 2);
}

// The atom a search at growing radii took, and the radius of the last search made.
struct Searched {
    int atom = 0;  // 0: none qualified
    float radius = 0.0f;
};

// Searches around `centre` at `searches` radii from `first` in steps of `step`, each search
// listed in full, until `take` accepts an atom: take(m, c) is asked of the m-th atom c of a
// search, in ascending distance.
template <typename Take>
Searched search_growing(Io& io, const Records& r, NeighbourIndex& neighbours, int centre,
                        float first, float step, int searches, Take take) {
    float radius = first;
    for (int n = 1;; ++n) {
        const NeighbourList found = find_neighbours(io, r, neighbours, centre, radius, true);
        for (int m = 1; m <= found.count; ++m)
            if (take(m, found.atom[m])) return {found.atom[m], radius};
        if (n == searches) return {0, radius};
        radius += step;
    }
}

// The target `which` at the midpoint of a and b. Where the midpoint falls on the atom (a and b
// trans to each other) it would give the axis no direction; a itself lies on the same line.
void target_midpoint(Io& io, const Records& r, int i, FrameDraft& f, int which, int a, int b) {
    const Cartesian m = midpoint(r.structure.cart[a], r.structure.cart[b]);
    if (distance(m, r.structure.cart[i]) < on_atom_distance) {
        list_after_empty_line(io, " Midpoint of " + trim(r.structure.label[a]) + " and " +
                                      trim(r.structure.label[b]) + " lies on the atom; " +
                                      (which == 1 ? f.axis1 : f.axis2) + "-axis towards " +
                                      trim(r.structure.label[a]) + " instead");
        target_atom(r, f, which, a);
    } else {
        target_dummy(io, r, f, which, m);
    }
}

// A dummy 1 Å from the atom along the normal of the plane of the atom, a and b.
void target_normal(Io& io, const Records& r, int i, FrameDraft& f, int which, int a, int b) {
    const Cartesian& x = r.structure.cart[i];
    const Vec3f n =
        cross_product(difference(r.structure.cart[a], x), difference(r.structure.cart[b], x));
    const float length = vector_length(n);
    Cartesian point;
    for (int k = 0; k < 3; ++k) point[k] = x[k] + n[k] / length;
    target_dummy(io, r, f, which, point);
}

// ------------------------------------------------------------------ one neighbour

// What the rules keep of the parent of a hydrogen atom, for the databank match and the X-H
// extension.
HydrogenParent hydrogen_parent(const Records& r, int p) {
    const NeighbourTable& parent = r.topology.neighbours[p];
    return {parent.count, r.structure.atomic_number[p],
            parent.type_count >= 1 ? parent.type_size[1] : 0};
}

// Y of a hydrogen atom: another hydrogen atom of a parent that carries hydrogen atoms only, or
// else the nearest heavy atom read around the parent off the bond's line.
void hydrogen_y_target(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f,
                       int p) {
    const NeighbourTable& parent = r.topology.neighbours[p];
    if (parent.type_count == 1 && parent.count >= 2) {
        for (int m = 1; m <= parent.count; ++m) {
            if (parent.atom[m] != i) {
                target_atom(r, f, 2, parent.atom[m]);
                return;
            }
        }
        fatal_error(io, Files::listing, "DefLoc", "can not happen <1>");
    }
    constexpr float radius = 10.0f;
    const int c = first_neighbour(io, r, neighbours, p, radius, [&](int candidate) {
        return r.structure.atomic_number[candidate] != 1 &&
               r.topology.source_atom[candidate] == 0 &&
               angle_at(r, r.structure.cart[i], p, candidate) <= 170.0f;
    });
    if (c == 0) return not_found(io, r, i, f, p, radius);
    write_angle_line(io, r, Files::listing, i, p, c, angle_at(r, r.structure.cart[i], p, c));
    target_atom(r, f, 2, c);
}

// Terminal hydrogen: Z along the bond, Y towards a heavy atom seen from the parent. The frame
// keeps the parent and its data for the X-H extension (with Extend_H, right after the rule),
// the kappa sets and the databank match.
void hydrogen_rule(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f,
                   int p) {
    f.site_symmetry = "cyl";
    f.axis1 = 'Z';
    target_atom(r, f, 1, p);
    f.axis2 = 'Y';

    f.parent = p;
    f.parent_data = hydrogen_parent(r, p);
    list_after_empty_line(io, " Hydrogen connected to an atom with " +
                                  fi(f.parent_data.neighbours, 2) + " bonds ( " +
                                  fi(f.parent_data.hydrogens, 2) + " - Hydrogen(s) )");

    hydrogen_y_target(io, r, neighbours, i, f, p);
}

// Y of any other terminal atom from the stored neighbours of its partner p: the first that
// makes a real angle. A partner in a straight chain on the way turns the frame into Z and
// "cyl". False when none qualified.
bool partner_neighbour_target(Io& io, const Records& r, int i, FrameDraft& f, int p) {
    const NeighbourTable& partner = r.topology.neighbours[p];
    if (partner.count < 2) return false;
    for (int m = 1; m <= partner.count; ++m) {
        const int c = partner.atom[m];
        if (c == i) continue;
        const float angle = angle_at(r, r.structure.cart[i], p, c);
        if (accepted_bend(angle)) {
            write_angle_line(io, r, Files::listing, i, p, c, angle);
            target_atom(r, f, 2, c);
            return true;
        }
        if (angle > 160.0f) {
            f.axis1 = 'Z';
            f.site_symmetry = "cyl";
        }
    }
    return false;
}

// Any other terminal atom: X along the bond, Y towards a neighbour of the partner that makes
// a real angle, or else towards an atom of the searches around the partner at 4, 6, 8, 10 and
// 12 Å (which accept nothing when the partner's only neighbour is the atom itself).
void terminal_rule(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f,
                   int p) {
    f.site_symmetry = "m";
    f.axis1 = 'X';
    target_atom(r, f, 1, p);
    f.axis2 = 'Y';
    if (partner_neighbour_target(io, r, i, f, p)) return;

    const NeighbourTable& partner = r.topology.neighbours[p];
    bool partner_has_other = false;
    for (int m = 1; m <= partner.count; ++m)
        partner_has_other = partner_has_other || partner.atom[m] != i;
    const Searched s = search_growing(io, r, neighbours, p, 4.0f, 2.0f, 5, [&](int, int c) {
        return partner_has_other && c != i &&
               accepted_bend(angle_at(r, r.structure.cart[i], p, c));
    });
    if (s.atom == 0) return not_found(io, r, i, f, p, s.radius);
    write_angle_line(io, r, Files::listing, i, p, s.atom,
                     angle_at(r, r.structure.cart[i], p, s.atom));
    target_atom(r, f, 2, s.atom);
}

// ------------------------------------------------------------------ two neighbours

// Two equal neighbours: Z along the bisector, Y towards the nearer one; otherwise X and Y
// towards the two (X towards the heavy one beside a single hydrogen atom).
void bent_frame(Io& io, const Records& r, int i, FrameDraft& f, int a, int b) {
    list_after_empty_line(io, " BENT conformation !");
    if (pair_count(f) == 1) {
        f.site_symmetry = "mm2";
        f.axis1 = 'Z';
        target_midpoint(io, r, i, f, 1, a, b);
        f.axis2 = 'Y';
        target_atom(r, f, 2, a);
        return;
    }
    f.site_symmetry = "m";
    f.axis1 = 'X';
    f.axis2 = 'Y';
    const bool one_hydrogen = f.hydrogens == 1;
    target_atom(r, f, 1, one_hydrogen ? b : a);
    target_atom(r, f, 2, one_hydrogen ? a : b);
}

// Z along the line, X towards an atom of the searches from 2.0 to 10.0 Å in steps of 0.5 Å.
// The two nearest atoms of each search are normally the two neighbours and are passed over;
// an atom within 10° of the Z line (the next atom of a chain) would give X no direction, as
// in the one-neighbour rule.
void linear_frame(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f, int a,
                  int b) {
    list_after_empty_line(io, " LINEAR conformation !");
    f.site_symmetry = "cyl";
    f.axis1 = 'Z';
    const int z = r.structure.atomic_number[b] == 1 ? a : b;
    target_atom(r, f, 1, z);
    f.axis2 = 'X';
    const Searched s = search_growing(io, r, neighbours, i, 2.0f, 0.5f, 17, [&](int m, int c) {
        return m >= 3 && accepted_bend(angle_at(r, r.structure.cart[z], i, c));
    });
    if (s.atom == 0) return not_found(io, r, i, f, i, s.radius);
    write_angle_line(io, r, Files::listing, z, i, s.atom,
                     angle_at(r, r.structure.cart[z], i, s.atom));
    target_atom(r, f, 2, s.atom);
}

void two_neighbours(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const int a = t.atom[1], b = t.atom[2];
    if (angle_at(r, r.structure.cart[a], i, b) < 170.0f)
        bent_frame(io, r, i, f, a, b);
    else
        linear_frame(io, r, neighbours, i, f, a, b);
}

// ------------------------------------------------------------------ three neighbours

// The rules for three neighbours, by the group planarity and the pair count; the listing
// names each by its code.
enum class ThreeNeighbourRule {
    planar_none_equal = 300,
    planar_one_pair = 301,
    planar_all_equal = 303,
    pyramidal_none_equal = 310,
    pyramidal_one_pair = 311,
    pyramidal_all_equal = 312,
};

// Three neighbours in a T: one angle near 180°, the stem near 90° from both arms. The stem,
// or 0 for another shape.
int stem_of_t_shape(const Records& r, int i, const NeighbourTable& t) {
    for (int s = 1; s <= 3; ++s) {
        const int a = t.atom[s == 1 ? 2 : 1], b = t.atom[s == 3 ? 2 : 3], c = t.atom[s];
        if (angle_at(r, r.structure.cart[a], i, b) >= 180.0f - shape_tolerance &&
            near_angle(angle_at(r, r.structure.cart[c], i, a), 90.0f) &&
            near_angle(angle_at(r, r.structure.cart[c], i, b), 90.0f))
            return c;
    }
    return 0;
}

// Three equal neighbours in a T have no threefold axis: the stem is a twofold axis and the
// plane of the T and the one across it are mirrors. False for another shape.
bool t_shaped_frame(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const int stem = stem_of_t_shape(r, i, t);
    if (stem == 0) return false;
    list_after_empty_line(io, " T-SHAPED conformation !");
    f.site_symmetry = "mm2";
    f.axis1 = 'Z';
    target_atom(r, f, 1, stem);
    f.axis2 = 'Y';
    target_atom(r, f, 2, t.atom[1] == stem ? t.atom[2] : t.atom[1]);
    return true;
}

// The neighbour among the first three that is not in the pair (a, b).
int odd_neighbour(const NeighbourTable& t, int a, int b) {
    for (int m = 1; m <= 3; ++m)
        if (t.atom[m] != a && t.atom[m] != b) return t.atom[m];
    return t.atom[3];
}

// The centroid of the first three neighbours, of the kind `x` holds.
template <typename Position>
Position centroid_of_three(const std::vector<Position>& x, const NeighbourTable& t) {
    Position c{};
    for (int k = 0; k < 3; ++k) c[k] = (x[t.atom[1]][k] + x[t.atom[2]][k] + x[t.atom[3]][k]) / 3.0f;
    return c;
}

// The centroid in the input's own coordinates, as the dummy at it is stored.
AnyPosition centroid_of_three(const Records& r, const NeighbourTable& t) {
    if (r.options.crystal_input) return centroid_of_three(r.structure.frac, t);
    return centroid_of_three(r.structure.cart, t);
}

void planar_none_equal(Io&, const Records& r, int, FrameDraft& f) {
    canonical_order_frame(r, f, "m");
}

// Z towards the odd neighbour (the bisector of the pair when that is a hydrogen atom), X
// towards the pair's nearer atom.
void planar_one_pair(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const auto [a, b] = f.equal_pairs[0];
    const int odd = odd_neighbour(t, a, b);
    f.site_symmetry = "mm2";
    f.axis1 = 'Z';
    if (r.structure.atomic_number[odd] == 1)
        target_midpoint(io, r, i, f, 1, a, b);
    else
        target_atom(r, f, 1, odd);
    f.axis2 = 'X';
    target_atom(r, f, 2, a);
}

void planar_all_equal(Io&, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    f.site_symmetry = "3m";
    f.axis1 = 'X';
    target_atom(r, f, 1, t.atom[1]);
    f.axis2 = 'Y';
    target_atom(r, f, 2, t.atom[2]);
}

void pyramidal_none_equal(Io&, const Records& r, int, FrameDraft& f) {
    canonical_order_frame(r, f, "NO");
}

// X along the bisector of the pair, Y towards the odd neighbour.
void pyramidal_one_pair(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const auto [a, b] = f.equal_pairs[0];
    f.site_symmetry = "m";
    f.axis1 = 'X';
    target_midpoint(io, r, i, f, 1, a, b);
    f.axis2 = 'Y';
    target_atom(r, f, 2, odd_neighbour(t, a, b));
}

// Z towards the centroid of the three, X towards the nearest. A flat group that failed the
// planarity test has its centroid on the atom: the threefold axis is then the normal of the
// plane.
void pyramidal_all_equal(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    f.site_symmetry = "3m";
    f.axis1 = 'Z';
    const AnyPosition centroid = centroid_of_three(r, t);
    if (distance(to_cartesian(r.structure.frac_to_cart, centroid), r.structure.cart[i]) <
        on_atom_distance) {
        list_after_empty_line(io,
                              " Centroid of the three neighbours lies on the atom; Z-axis along the"
                              " normal of their plane instead");
        target_normal(io, r, i, f, 1, t.atom[1], t.atom[2]);
    } else {
        target_dummy(io, r, f, 1, centroid);
    }
    f.axis2 = 'X';
    target_atom(r, f, 2, t.atom[1]);
}

struct ThreeNeighbourCase {
    bool planar_group;
    int pair_count;
    ThreeNeighbourRule rule;
    void (*apply)(Io&, const Records&, int, FrameDraft&);
};
constexpr ThreeNeighbourCase kThreeNeighbourRules[] = {
    {true, 0, ThreeNeighbourRule::planar_none_equal, planar_none_equal},
    {true, 1, ThreeNeighbourRule::planar_one_pair, planar_one_pair},
    {true, 3, ThreeNeighbourRule::planar_all_equal, planar_all_equal},
    {false, 0, ThreeNeighbourRule::pyramidal_none_equal, pyramidal_none_equal},
    {false, 1, ThreeNeighbourRule::pyramidal_one_pair, pyramidal_one_pair},
    {false, 3, ThreeNeighbourRule::pyramidal_all_equal, pyramidal_all_equal},
};

void three_neighbours(Io& io, const Records& r, int i, FrameDraft& f) {
    const int pairs = pair_count(f);
    const ThreeNeighbourCase* rule = nullptr;
    for (const ThreeNeighbourCase& c : kThreeNeighbourRules)
        if (c.planar_group == f.planar.group && c.pair_count == pairs) rule = &c;
    if (rule == nullptr)
        fatal_error(io, Files::listing, "DefLoc", " is = " + fi(pairs, 4) + " is not valid...");
    list_after_empty_line(io, " Label = " + fi(static_cast<int>(rule->rule), 5));
    if (pairs == 3 && t_shaped_frame(io, r, i, f)) return;
    rule->apply(io, r, i, f);
}

// ------------------------------------------------------------------ four neighbours

bool in_pair(const std::pair<int, int>& p, int atom) { return p.first == atom || p.second == atom; }

// Four neighbours in a square plane: two trans angles near 180°, four cis angles near 90°.
bool square_planar(const Records& r, int i, const NeighbourTable& t) {
    int trans = 0, cis = 0;
    for (int m = 1; m <= 4; ++m)
        for (int n = m + 1; n <= 4; ++n) {
            const float angle = angle_at(r, r.structure.cart[t.atom[m]], i, t.atom[n]);
            if (angle >= 180.0f - shape_tolerance) ++trans;
            else if (near_angle(angle, 90.0f)) ++cis;
        }
    return trans == 2 && cis == 4;
}

// X and Y towards the first two neighbours of the canonical order outside the pair.
void one_pair_of_four(const Records& r, FrameDraft& f) {
    f.site_symmetry = "m";
    f.axis1 = 'X';
    f.axis2 = 'Y';
    int which = 1;
    for (int m = 1; m <= 4 && which <= 2; ++m)
        if (!in_pair(f.equal_pairs[0], f.neighbour_order[m]))
            target_atom(r, f, which++, f.neighbour_order[m]);
}

// Z along the bisector of the first pair that starts with a heavy atom, Y towards the other
// pair. Both pairs start with a hydrogen atom where the hydrogen neighbours differ in their
// own neighbour counts: Z then takes the first pair.
void two_pairs_of_four(Io& io, const Records& r, int i, FrameDraft& f) {
    const auto& pairs = f.equal_pairs;
    f.site_symmetry = "mm2";
    f.axis1 = 'Z';
    f.axis2 = 'Y';
    int z_pair = 0;
    for (int p = 0; p < pair_count(f); ++p) {
        if (r.structure.atomic_number[pairs[p].first] != 1) {
            z_pair = p;
            break;
        }
    }
    target_midpoint(io, r, i, f, 1, pairs[z_pair].first, pairs[z_pair].second);
    int y_pair = -1;
    for (int p = 0; p < pair_count(f) && y_pair < 0; ++p)
        if (p != z_pair) y_pair = p;
    if (y_pair < 0) fatal_error(io, Files::listing, "DefLoc", "4 neighbors: 2 + 2 case");
    target_atom(r, f, 2, pairs[y_pair].first);
}

// Z towards the neighbour in no pair (the last such in distance order), X towards the first
// atom of the first pair.
void three_pairs_of_four(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    f.site_symmetry = "3m";
    f.axis1 = 'Z';
    int lone = 0;
    for (int m = 1; m <= 4; ++m) {
        bool paired = false;
        for (const auto& p : f.equal_pairs) paired = paired || in_pair(p, t.atom[m]);
        if (!paired) lone = t.atom[m];
    }
    if (lone != 0)
        target_atom(r, f, 1, lone);
    else
        target_dummy(io, r, f, 1,
                     in_input_coordinates(r, kOrigin));  // three pairs leave no odd atom
    f.axis2 = 'X';
    target_atom(r, f, 2, f.equal_pairs[0].first);
}

// A square has its fourfold axis along the normal of the plane, not in it; Y towards a
// neighbour lies in a mirror, as in the tetrahedral frame.
void square_planar_frame(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    list_after_empty_line(io, " SQUARE-PLANAR conformation !");
    f.site_symmetry = "-42m";
    f.axis1 = 'Z';
    int cis = t.atom[2];
    for (int m = 2; m <= 4; ++m) {
        if (near_angle(angle_at(r, r.structure.cart[t.atom[1]], i, t.atom[m]), 90.0f)) {
            cis = t.atom[m];
            break;
        }
    }
    target_normal(io, r, i, f, 1, t.atom[1], cis);
    f.axis2 = 'Y';
    target_atom(r, f, 2, t.atom[1]);
}

// Four equal neighbours: Z along the bisector of the two nearest, Y towards the third.
void tetrahedral_frame(Io& io, const Records& r, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    f.site_symmetry = "-42m";
    f.axis1 = 'Z';
    target_midpoint(io, r, i, f, 1, t.atom[1], t.atom[2]);
    f.axis2 = 'Y';
    target_atom(r, f, 2, t.atom[3]);
}

void four_neighbours(Io& io, const Records& r, int i, FrameDraft& f) {
    const int pairs = pair_count(f);
    const bool all_equal = pairs >= 4 && pairs <= 6;
    if (pairs == 1)
        one_pair_of_four(r, f);
    else if (pairs == 2)
        two_pairs_of_four(io, r, i, f);
    else if (pairs == 3)
        three_pairs_of_four(io, r, i, f);
    else if (all_equal && square_planar(r, i, r.topology.neighbours[i]))
        square_planar_frame(io, r, i, f);
    else if (all_equal)
        tetrahedral_frame(io, r, i, f);
    else
        canonical_order_frame(r, f, "NO");
}

}  // namespace

void frame_rules(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    switch (t.count) {
        case 1:
            if (r.structure.atomic_number[i] == 1)
                hydrogen_rule(io, r, neighbours, i, f, t.atom[1]);
            else
                terminal_rule(io, r, neighbours, i, f, t.atom[1]);
            break;
        case 2: two_neighbours(io, r, neighbours, i, f); break;
        case 3: three_neighbours(io, r, i, f); break;
        default: four_neighbours(io, r, i, f); break;
    }
}

}  // namespace kova
