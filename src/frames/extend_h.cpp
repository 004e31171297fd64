// Extension of an X-H bond to the standard distance of its chemical environment. The bond is
// recorded with the distance and displacement ratio its restraints hold, for the RESET BOND
// (reset.bond), riding constraint (const.bond), DISTAN and URATIO (res_mopro.inp) records.
#include "frames/extend_h.hpp"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "frames/groups_rules.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"
#include "topology/planarity.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace {

// The neighbour-table queries the functional-group rules ask too.
using groups::all_h_or_c;
using groups::count_of;
using groups::element;
using groups::neighbour_count;
using groups::nth_neighbour;

constexpr int C = 6, O = 8;
constexpr int any = -1;

bool in_one_planar_ring(const Records& r, int x) { return x >= 1 && ring_membership(r, x).planar; }

// The surroundings of one X-H bond as the classification rows ask about them (X the parent);
// each fact is worked out when a row first needs it, so a failing Y-O-H check stops only the
// rows of its own group.
struct BondSurroundings {
    Io& io;
    const Records& r;
    int parent;

    bool all_c_or_h() const { return all_h_or_c(r, parent); }
    // N-H: exactly two neighbours of X are carbon atoms with 3 neighbours each
    bool two_sp2_carbons() const {
        int n = 0;
        for (int k = 1; k <= neighbour_count(r, parent); ++k)
            if (int j = nth_neighbour(r, parent, k);
                element(r, j) == C && neighbour_count(r, j) == 3)
                ++n;
        return n == 2;
    }
    // NH2: X's carbon neighbour, the last in stored order
    int carbon() const {
        int c = 0;
        for (int k = 1; k <= neighbour_count(r, parent); ++k)
            if (int j = nth_neighbour(r, parent, k); element(r, j) == C) c = j;
        return c;
    }
    bool carbon_has_three() const { return neighbour_count(r, carbon()) == 3; }
    bool planar() {
        if (!planar_) planar_ = group_is_planar(io, r, parent);
        return *planar_;
    }
    bool carbon_has_terminal_oxygen() const {
        int c = carbon();
        for (int k = 1; k <= neighbour_count(r, c); ++k)
            if (int j = nth_neighbour(r, c, k); element(r, j) == O && neighbour_count(r, j) == 1)
                return true;
        return false;
    }
    // O-H: Y is the second entry of X's neighbour list
    int y() const { return nth_neighbour(r, parent, 2); }
    bool y_carbon() const { return element(r, y()) == C; }
    int y_oxygens() const { return count_of(r, y(), O); }
    // the last oxygen neighbour of Y other than X
    int other_oxygen() const {
        int o = 0;
        for (int k = 1; k <= neighbour_count(r, y()); ++k)
            if (int j = nth_neighbour(r, y(), k); element(r, j) == O && j != parent) o = j;
        if (o == 0) fatal_error(io, Files::listing, "ExtendH", "Error 2 in Y-O-H");
        return o;
    }

    std::optional<bool> planar_;
};

// One row of the classification: the parent it applies to, the test of its surroundings and
// the standard distance of the group it names.
struct Row {
    int parent_z, parent_neighbours, parent_hydrogens;  // the counts may be any: -1
    bool (*test)(BondSurroundings&);  // nullptr: no further test
    const char* group;
    float distance;  // standard X-H distance (Å)
};

using Bond = BondSurroundings;
const Row kRows[] = {
    {6, 4, 3, [](Bond& e) { return e.all_c_or_h(); }, "C-C-H3", 1.077f},
    {6, 4, 3, nullptr, "X-C-H3", 1.077f},
    {6, 4, 2, [](Bond& e) { return e.all_c_or_h(); }, "C2-C-H2", 1.092f},
    {6, 4, 2, nullptr, "X2-C-H2", 1.091f},
    {6, 4, 1, [](Bond& e) { return e.all_c_or_h(); }, "C3-C-H", 1.099f},
    {6, 4, 1, nullptr, "X3-C-H", 1.098f},
    {6, 3, 1, [](Bond& e) { return in_one_planar_ring(e.r, e.parent); }, "aromatic C-H", 1.083f},
    {6, 3, any, nullptr, "C-C=C-H", 1.082f},
    {7, 4, any, nullptr, "N+-H", 1.036f},
    {7, 3, 1, [](Bond& e) { return e.two_sp2_carbons(); }, "C2-N-H", 1.030f},
    {7, 3, 1, nullptr, "X2-N-H", 1.027f},
    {7, 3, 2,
     [](Bond& e) {
         return e.carbon_has_three() && e.planar() && in_one_planar_ring(e.r, e.carbon());
     },
     "C(ar)-N-H2pl", 1.010f},
    {7, 3, 2,
     [](Bond& e) { return e.carbon_has_three() && e.planar() && e.carbon_has_terminal_oxygen(); },
     "C-N-H2 amido", 1.010f},
    {7, 3, 2, [](Bond& e) { return e.carbon_has_three() && e.planar(); }, "C-N-H2pl", 1.012f},
    {7, 3, 2,
     [](Bond& e) {
         return e.carbon_has_three() && !e.planar() && in_one_planar_ring(e.r, e.carbon());
     },
     "C(ar)-N-H2py", 1.024f},
    {7, 3, 2, [](Bond& e) { return e.carbon_has_three() && !e.planar(); }, "X-N-H2", 1.015f},
    {8, 2, 2, nullptr, "water", 0.9584f},
    {8, 2, 1,
     [](Bond& e) { return e.y_carbon() && e.y_oxygens() == 1 && in_one_planar_ring(e.r, e.y()); },
     "O-H in phenol", 0.992f},
    {8, 2, 1,
     [](Bond& e) {
         return e.y_carbon() && e.y_oxygens() == 1 && neighbour_count(e.r, e.y()) == 4;
     },
     "Csp3-O-H in alcohol", 0.970f},
    {8, 2, 1, [](Bond& e) { return e.y_carbon() && e.y_oxygens() == 1; }, "C-O-H any", 0.980f},
    {8, 2, 1,
     [](Bond& e) {
         return e.y_carbon() && e.y_oxygens() == 2 && neighbour_count(e.r, e.other_oxygen()) == 1;
     },
     "O-H in acid", 1.018f},
    {8, 2, 1, [](Bond& e) { return e.y_carbon() && e.y_oxygens() == 2; }, "O-H in ether", 0.980f},
    {8, 2, 1,
     [](Bond& e) { return !e.y_carbon() && (e.y_oxygens() == 3 || e.y_oxygens() == 4); },
     "O-H in Pacid", 1.015f},
    {8, 2, 1, [](Bond& e) { return !e.y_carbon(); }, "X-OH", 0.983f},
    {16, any, any, nullptr, "S-H", 1.338f},
};

std::string lab(const Records& r, int a) {
    return trim(r.structure.label[static_cast<std::size_t>(a)]);
}

}  // namespace

namespace {

// The first row that describes the bond, or nullptr.
const Row* classify(BondSurroundings& bond, const HydrogenParent& parent_data) {
    for (const Row& row : kRows) {
        if (row.parent_z != parent_data.atomic_number ||
            (row.parent_neighbours != any && row.parent_neighbours != parent_data.neighbours) ||
            (row.parent_hydrogens != any && row.parent_hydrogens != parent_data.hydrogens))
            continue;
        if (row.test && !row.test(bond)) continue;
        return &row;
    }
    return nullptr;
}

// Moves the hydrogen atom along the bond to `length` from its parent. Later searches find the
// hydrogen at its new place; the stored neighbour tables keep the old X-H distance.
void move_hydrogen(Records& r, NeighbourIndex& neighbours, int parent, int hydrogen,
                   float length) {
    move_atom(r, neighbours, hydrogen,
              extend_bond(r.structure.cart[static_cast<std::size_t>(parent)],
                          r.structure.cart[static_cast<std::size_t>(hydrogen)], length)
                  .end);
}

}  // namespace

void extend_xh_bond(Io& io, Records& r, NeighbourIndex& neighbours, int parent, int hydrogen,
                    const HydrogenParent& parent_data) {
    if (parent < 1 || parent > r.atom_slots() || hydrogen < 1 || hydrogen > r.atom_slots()) return;
    const int out = Files::listing;
    const std::string bond =
        "   X-H group : " + lab(r, parent) + "-" + lab(r, hydrogen) + " >" + "  ";

    if (r.structure.occupancy_flag[static_cast<std::size_t>(hydrogen)] == -1 &&
        !r.options.disorder_extend_h) {
        io.write(out, bond + "H-ATOM IS DISORDERED");
        return;
    }
    io.write(out, "");
    io.write(out, " Trying to extend hydrogen " + lab(r, hydrogen) + " to standard distance :");

    const int z = parent_data.atomic_number;
    if (z != 6 && z != 7 && z != 8 && z != 16) {
        io.write(out, bond + "DON'T KNOW HOW TO HANDLE");
        return;
    }
    BondSurroundings surroundings{io, r, parent, {}};
    if (z == 8 && parent_data.neighbours == 2 && parent_data.hydrogens == 1 &&
        surroundings.y_oxygens() == 0)
        fatal_error(io, Files::listing, "ExtendH", "Error 1 in Y-O-H");

    const Row* found = classify(surroundings, parent_data);
    const float old_length = distance(r.structure.cart[static_cast<std::size_t>(parent)],
                                      r.structure.cart[static_cast<std::size_t>(hydrogen)]);
    float length = old_length;
    if (found) {
        length = found->distance;
        move_hydrogen(r, neighbours, parent, hydrogen, length);
        io.write(out, bond + found->group + " =" + ff(old_length, 7, 3) + " /" + ff(length, 7, 3) +
                          " Angstroms");
    } else {
        io.write(out, bond + "NOT IDENTIFIED");
    }

    r.frames.xh_restraints.push_back({parent, hydrogen, length, z == 6 ? 1.2f : 1.5f});
}

}  // namespace kova
