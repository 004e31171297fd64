// The frame rules for atoms with one to four neighbours. Where no neighbour can fix the second
// axis, a rule searches the surroundings at growing radii and, when nothing qualifies, points
// the axis at a dummy atom at 0,0,0.
#include <cmath>
#include <string>

#include "frames/frame_atom.hpp"
#include "frames/dummies.hpp"
#include "frames/extend_h.hpp"
#include "input/cell.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"
#include "topology/planarity.hpp"

namespace kova {

namespace {

const Vec3f kOrigin{0.0f, 0.0f, 0.0f};

bool accepted_bend(float ang) { return ang > 10.0f && ang <= 160.0f; }

Vec3f midpoint_of(const Records& r, int a, int b) {
    return midpoint(r.structure.cart[a], r.structure.cart[b]);
}

// With Extend_H the hydrogen atom moves out to the standard X-H distance (its frame targets
// are other atoms and stay as chosen).
void extend(Records& r, int p, int i) {
    if (r.options.extend_h) extend_xh_bond(r, p, i);
}

// A search found nothing: the second axis points at a fixed point off the atom and off the
// first axis's line.
void not_found(Records& r, int i, Frame& f, int centre, float rad) {
    write_terminal_and_listing(r, " No neighbors of atom " + pad(r.structure.label[centre], 8) +
                                      " were found within " + ff(rad, 10, 2) + " Angstroms");
    fixed_point_target(r, i, f, 2);
}

// The target `which` at the midpoint of a and b. Where the midpoint falls on the atom (a and b
// trans to each other) it would give the axis no direction; a itself lies on the same line.
void target_midpoint(Records& r, int i, Frame& f, int which, int a, int b) {
    const Vec3f m = midpoint_of(r, a, b);
    if (distance(m, r.structure.cart[i]) < on_atom_distance) {
        write_listing_line(r, " Midpoint of " + trim(r.structure.label[a]) + " and " +
                                  trim(r.structure.label[b]) + " lies on the atom; " +
                                  (which == 1 ? f.axis1 : f.axis2) + "-axis towards " +
                                  trim(r.structure.label[a]) + " instead");
        target_atom(r, f, which, a);
    } else {
        target_dummy(r, f, which, false, m);
    }
}

// Terminal hydrogen: Z along the bond, Y towards a heavy atom seen from the parent.
void hydrogen_rule(Records& r, int i, Frame& f, int p) {
    const NeighbourTable& tp = r.topology.neighbours[p];
    set_site_symmetry(r, i, "cyl");
    f.axis1 = 'Z';
    target_atom(r, f, 1, p);
    f.axis2 = 'Y';

    r.frames.parent_neighbours[i] = tp.count;
    r.frames.parent_atomic_number[i] = r.structure.atomic_number[p];
    r.frames.parent_hydrogens[i] = tp.type_count >= 1 ? tp.type_size[1] : 0;
    write_listing_line(r, " Hydrogen connected to an atom with " +
                              fi(r.frames.parent_neighbours[i], 2) + " bonds ( " +
                              fi(r.frames.parent_hydrogens[i], 2) + " - Hydrogen(s) )");

    if (tp.type_count == 1 && tp.count >= 2) {
        // The parent carries hydrogen atoms only: Y towards another of them.
        for (int m = 1; m <= tp.count; ++m) {
            if (tp.atom[m] != i) {
                target_atom(r, f, 2, tp.atom[m]);
                return extend(r, p, i);
            }
        }
        fatal_error(r, "DefLoc", "can not happen <1>");
    }
    const int c = first_neighbour(r.io, r, p, 10.0f, [&](int c) {
        return r.structure.atomic_number[c] != 1 && r.topology.source_atom[c] == 0 &&
               angle_at(r, r.structure.cart[i], p, c) <= 170.0f;
    });
    if (c != 0) {
        write_angle_line(r, r.files.listing, i, p, c, angle_at(r, r.structure.cart[i], p, c));
        target_atom(r, f, 2, c);
    } else {
        not_found(r, i, f, p, 10.0f);
    }
    extend(r, p, i);
}

// Any other terminal atom: X along the bond, Y towards a neighbour of the partner that makes
// a real angle; a partner in a straight chain turns the frame into Z and "cyl".
void terminal_rule(Records& r, int i, Frame& f, int p) {
    const NeighbourTable& tp = r.topology.neighbours[p];
    set_site_symmetry(r, i, "m");
    f.axis1 = 'X';
    target_atom(r, f, 1, p);
    f.axis2 = 'Y';

    bool partner_has_other = false;
    for (int m = 1; m <= tp.count; ++m) partner_has_other = partner_has_other || tp.atom[m] != i;

    if (tp.count >= 2) {
        for (int m = 1; m <= tp.count; ++m) {
            const int c = tp.atom[m];
            if (c == i) continue;
            const float ang = angle_at(r, r.structure.cart[i], p, c);
            if (accepted_bend(ang)) {
                write_angle_line(r, r.files.listing, i, p, c, ang);
                target_atom(r, f, 2, c);
                return;
            }
            if (ang > 160.0f) {
                f.axis1 = 'Z';
                set_site_symmetry(r, i, "cyl");
            }
        }
    }
    // Searches at 4, 6, 8, 10 and 12 Å; they accept nothing when the partner's only
    // neighbour is the atom itself.
    float rad = 4.0f;
    for (;;) {
        const NeighbourList found = find_neighbours(r.io, r, p, rad, true);
        if (partner_has_other) {
            for (int m = 1; m <= found.count; ++m) {
                const int c = found.atom[m];
                if (c == i) continue;
                const float ang = angle_at(r, r.structure.cart[i], p, c);
                if (accepted_bend(ang)) {
                    write_angle_line(r, r.files.listing, i, p, c, ang);
                    target_atom(r, f, 2, c);
                    return;
                }
            }
        }
        if (rad > 10.0f) break;
        rad += 2.0f;
    }
    not_found(r, i, f, p, rad);
}

void two_neighbours(Records& r, int i, Frame& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const int a = t.atom[1], b = t.atom[2];
    const float ang = angle_at(r, r.structure.cart[a], i, b);
    if (ang < 170.0f) {
        write_listing_line(r, " BENT conformation !");
        if (f.equal_pairs.size() == 1) {
            set_site_symmetry(r, i, "mm2");
            f.axis1 = 'Z';
            target_midpoint(r, i, f, 1, a, b);
            f.axis2 = 'Y';
            target_atom(r, f, 2, a);
        } else {
            set_site_symmetry(r, i, "m");
            f.axis1 = 'X';
            f.axis2 = 'Y';
            const bool one_h = f.hydrogens == 1;
            target_atom(r, f, 1, one_h ? b : a);
            target_atom(r, f, 2, one_h ? a : b);
        }
        return;
    }
    write_listing_line(r, " LINEAR conformation !");
    set_site_symmetry(r, i, "cyl");
    f.axis1 = 'Z';
    const int z = r.structure.atomic_number[b] == 1 ? a : b;
    target_atom(r, f, 1, z);
    f.axis2 = 'X';
    // Searches from 2.0 to 10.0 Å in steps of 0.5 Å; the two nearest atoms of each result are
    // normally the two neighbours and are passed over. An atom within 10° of the Z line (the
    // next atom of a chain) would give X no direction, as in the one-neighbour rule.
    float rad = 2.0f;
    for (;;) {
        const NeighbourList found = find_neighbours(r.io, r, i, rad, true);
        for (int m = 3; m <= found.count; ++m) {
            const int c = found.atom[m];
            const float ang2 = angle_at(r, r.structure.cart[z], i, c);
            if (accepted_bend(ang2)) {
                write_angle_line(r, r.files.listing, z, i, c, ang2);
                target_atom(r, f, 2, c);
                return;
            }
        }
        if (rad >= 10.0f) break;
        rad += 0.5f;
    }
    not_found(r, i, f, i, rad);
}

bool near_angle(float ang, float ideal) { return std::fabs(ang - ideal) <= shape_tolerance; }

// A dummy 1 Å from the atom along the normal of the plane of the atom, a and b.
void target_normal(Records& r, int i, Frame& f, int which, int a, int b) {
    const Vec3f& x = r.structure.cart[i];
    Vec3f n = cross_product(difference(r.structure.cart[a], x), difference(r.structure.cart[b], x));
    const float len = vector_length(n);
    for (int k = 0; k < 3; ++k) n[k] = x[k] + n[k] / len;
    target_dummy(r, f, which, false, n);
}

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

// Four neighbours in a square plane: two trans angles near 180°, four cis angles near 90°.
bool square_planar(const Records& r, int i, const NeighbourTable& t) {
    int trans = 0, cis = 0;
    for (int m = 1; m <= 4; ++m)
        for (int n = m + 1; n <= 4; ++n) {
            const float ang = angle_at(r, r.structure.cart[t.atom[m]], i, t.atom[n]);
            if (ang >= 180.0f - shape_tolerance) ++trans;
            else if (near_angle(ang, 90.0f)) ++cis;
        }
    return trans == 2 && cis == 4;
}

// The neighbour among the first three that is not in the pair (a, b).
int odd_neighbour(const NeighbourTable& t, int a, int b) {
    for (int m = 1; m <= 3; ++m)
        if (t.atom[m] != a && t.atom[m] != b) return t.atom[m];
    return t.atom[3];
}

Vec3f centroid_of_three(const Records& r, const NeighbourTable& t) {
    Vec3f c{};
    for (int k = 0; k < 3; ++k) {
        const auto& x = r.options.crystal_input ? r.structure.frac : r.structure.cart;
        c[k] = (x[t.atom[1]][k] + x[t.atom[2]][k] + x[t.atom[3]][k]) / 3.0f;
    }
    return c;
}

void three_neighbours(Records& r, int i, Frame& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const int npair = static_cast<int>(f.equal_pairs.size());
    if (npair != 0 && npair != 1 && npair != 3)
        fatal_error(r, "DefLoc", " is = " + fi(npair, 4) + " is not valid...");
    const bool lpg = f.planar.group;
    const int label = lpg ? (npair == 0 ? 300 : npair == 1 ? 301 : 303)
                          : (npair == 0 ? 310 : npair == 1 ? 311 : 312);
    write_listing_line(r, " Label = " + fi(label, 5));
    const int* isn = f.neighbour_order.data();
    if (npair == 3) {
        // Three equal neighbours in a T have no threefold axis: the stem is a twofold axis
        // and the plane of the T and the one across it are mirrors.
        if (const int stem = stem_of_t_shape(r, i, t); stem != 0) {
            write_listing_line(r, " T-SHAPED conformation !");
            set_site_symmetry(r, i, "mm2");
            f.axis1 = 'Z';
            target_atom(r, f, 1, stem);
            f.axis2 = 'Y';
            target_atom(r, f, 2, t.atom[1] == stem ? t.atom[2] : t.atom[1]);
            return;
        }
    }
    switch (label) {
        case 300:
        case 310:
            set_site_symmetry(r, i, label == 300 ? "m" : "NO");
            f.axis1 = 'X';
            target_atom(r, f, 1, isn[1]);
            f.axis2 = 'Y';
            target_atom(r, f, 2, isn[2]);
            break;
        case 301: {
            const auto [a, b] = f.equal_pairs[0];
            const int odd = odd_neighbour(t, a, b);
            set_site_symmetry(r, i, "mm2");
            f.axis1 = 'Z';
            if (r.structure.atomic_number[odd] == 1)
                target_midpoint(r, i, f, 1, a, b);
            else
                target_atom(r, f, 1, odd);
            f.axis2 = 'X';
            target_atom(r, f, 2, a);
            break;
        }
        case 303:
            set_site_symmetry(r, i, "3m");
            f.axis1 = 'X';
            target_atom(r, f, 1, t.atom[1]);
            f.axis2 = 'Y';
            target_atom(r, f, 2, t.atom[2]);
            break;
        case 311: {
            const auto [a, b] = f.equal_pairs[0];
            set_site_symmetry(r, i, "m");
            f.axis1 = 'X';
            target_midpoint(r, i, f, 1, a, b);
            f.axis2 = 'Y';
            target_atom(r, f, 2, odd_neighbour(t, a, b));
            break;
        }
        default: {  // 312
            set_site_symmetry(r, i, "3m");
            f.axis1 = 'Z';
            // A flat group that failed the planarity test has its centroid on the atom: the
            // threefold axis is then the normal of the plane.
            const Vec3f c = centroid_of_three(r, t);
            Vec3f cc = c;
            if (r.options.crystal_input) cc = to_cartesian(r.structure.frac_to_cart, c);
            if (distance(cc, r.structure.cart[i]) < on_atom_distance) {
                write_listing_line(
                    r,
                    " Centroid of the three neighbours lies on the atom; Z-axis along the"
                    " normal of their plane instead");
                target_normal(r, i, f, 1, t.atom[1], t.atom[2]);
            } else {
                target_dummy(r, f, 1, r.options.crystal_input, c);
            }
            f.axis2 = 'X';
            target_atom(r, f, 2, t.atom[1]);
            break;
        }
    }
}

bool in_pair(const std::pair<int, int>& p, int atom) { return p.first == atom || p.second == atom; }

void four_neighbours(Records& r, int i, Frame& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    const auto& pairs = f.equal_pairs;
    const int npair = static_cast<int>(pairs.size());
    const int* isn = f.neighbour_order.data();
    if (npair == 1) {
        set_site_symmetry(r, i, "m");
        f.axis1 = 'X';
        f.axis2 = 'Y';
        int which = 1;
        for (int m = 1; m <= 4 && which <= 2; ++m)
            if (!in_pair(pairs[0], isn[m])) target_atom(r, f, which++, isn[m]);
    } else if (npair == 2) {
        set_site_symmetry(r, i, "mm2");
        f.axis1 = 'Z';
        f.axis2 = 'Y';
        int zp = -1;
        for (int p = 0; p < npair && zp < 0; ++p)
            if (r.structure.atomic_number[pairs[p].first] != 1) zp = p;
        // Both pairs start with a hydrogen atom (hydrogen neighbours that differ in their own
        // neighbour counts): Z takes the midpoint of the first pair, Y the second pair.
        const int zpair = zp < 0 ? 0 : zp;
        target_midpoint(r, i, f, 1, pairs[zpair].first, pairs[zpair].second);
        int yp = -1;
        for (int p = 0; p < npair && yp < 0; ++p)
            if (p != zpair) yp = p;
        if (yp < 0) fatal_error(r, "DefLoc", "4 neighbors: 2 + 2 case");
        target_atom(r, f, 2, pairs[yp].first);
    } else if (npair == 3) {
        set_site_symmetry(r, i, "3m");
        f.axis1 = 'Z';
        int lone = 0;
        for (int m = 1; m <= 4; ++m) {
            bool paired = false;
            for (const auto& p : pairs) paired = paired || in_pair(p, t.atom[m]);
            if (!paired) lone = t.atom[m];
        }
        if (lone != 0)
            target_atom(r, f, 1, lone);
        else
            target_dummy(r, f, 1, r.options.crystal_input,
                         kOrigin);  // three pairs that leave no odd atom
        f.axis2 = 'X';
        target_atom(r, f, 2, pairs[0].first);
    } else if (npair >= 4 && npair <= 6 && square_planar(r, i, t)) {
        // A square has its fourfold axis along the normal of the plane, not in it; Y towards a
        // neighbour lies in a mirror, as in the tetrahedral frame.
        write_listing_line(r, " SQUARE-PLANAR conformation !");
        set_site_symmetry(r, i, "-42m");
        f.axis1 = 'Z';
        int cis = t.atom[2];
        for (int m = 2; m <= 4; ++m)
            if (near_angle(angle_at(r, r.structure.cart[t.atom[1]], i, t.atom[m]), 90.0f)) {
                cis = t.atom[m];
                break;
            }
        target_normal(r, i, f, 1, t.atom[1], cis);
        f.axis2 = 'Y';
        target_atom(r, f, 2, t.atom[1]);
    } else if (npair >= 4 && npair <= 6) {
        set_site_symmetry(r, i, "-42m");
        f.axis1 = 'Z';
        target_midpoint(r, i, f, 1, t.atom[1], t.atom[2]);
        f.axis2 = 'Y';
        target_atom(r, f, 2, t.atom[3]);
    } else {
        set_site_symmetry(r, i, "NO");
        f.axis1 = 'X';
        target_atom(r, f, 1, isn[1]);
        f.axis2 = 'Y';
        target_atom(r, f, 2, isn[2]);
    }
}

}  // namespace

void frame_rules(Records& r, int i, Frame& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    switch (t.count) {
        case 1:
            if (r.structure.atomic_number[i] == 1)
                hydrogen_rule(r, i, f, t.atom[1]);
            else
                terminal_rule(r, i, f, t.atom[1]);
            break;
        case 2: two_neighbours(r, i, f); break;
        case 3: three_neighbours(r, i, f); break;
        default: four_neighbours(r, i, f); break;
    }
}

}  // namespace kova
