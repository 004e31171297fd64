// Functional-group blocks of nitrogen, oxygen, phosphorus, sulfur and halogen atoms, one
// function per block in the order the rules try them. A block writes only the entry of the
// atom being typed, never that of the neighbour whose surroundings it reads.
#include <algorithm>

#include "frames/groups_rules.hpp"
#include "shared/fatal.hpp"

namespace kova::groups {

namespace {

constexpr int H = 1, C = 6, N = 7, O = 8, F = 9, P = 15, S = 16, Cl = 17, Br = 35;

// ------------------------------------------------------------------ nitrogen
// s.planar: the group planarity of the N and its neighbours, made once before the blocks.

bool n1_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 3 && s.planar && composition(s.r, s.atom, {{C, 3}});
}
Outcome n1(Site& s) {
    const Records& r = s.r;
    Counts c = neighbour_counts(
        r, {nth_neighbour(r, s.atom, 1), nth_neighbour(r, s.atom, 2), nth_neighbour(r, s.atom, 3)});
    if (c.sum == 11 && c.min == 3 && c.max == 4) return named("csp2sp3sp3");
    if (c.sum == 10 && c.min == 3 && c.max == 4) return named("csp3sp2sp2");
    return fails_drawn("c-Nc1-c1 planar");
}

bool n2_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 2 && type_element(s.r, s.atom, 1) == C &&
           type_element(s.r, s.atom, 2) == O;
}
Outcome n2(Site& s) {
    const Records& r = s.r;
    int o = first_of(r, s.atom, O);
    if (neighbour_count(r, o) == 1) return named("N=O");
    if (neighbour_count(r, o) == 2 && type_element(r, o, 1) == H && type_element(r, o, 2) == N)
        return named("N-OH");
    return fails_drawn("c--N--c?");
}

const Block kNitrogen[] = {
    {"N1", "c-Nc1-c1 N-planar c1=?", n1_applies, n1},
    {"N2", "c--N--o(?)", n2_applies, n2},
};

// ------------------------------------------------------------------ oxygen, 2 neighbours

// The member of c's O type that is not the atom itself (the last such), 0 when there is none.
int other_oxygen(const Records& r, int c, int self) {
    int other = 0;
    for (int t = 1; t <= type_count(r, c); ++t) {
        if (type_element(r, c, t) != O) continue;
        for (int m = 1; m <= type_size(r, c, t); ++m)
            if (int o = member(r, c, t, m); o != 0 && o != self) other = o;
    }
    return other;
}

bool o1_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 2 && type_element(s.r, s.atom, 1) == H &&
           type_element(s.r, s.atom, 2) == C;
}
Outcome o1(Site& s) {
    const Records& r = s.r;
    int c = member(r, s.atom, 2, 1);
    RingAnswer ring = ring_of(r, c);
    int k = count_of(r, c, O);
    if (k == 1) {
        if (neighbour_count(r, c) == 4) return named("alcohol");
        if (neighbour_count(r, c) == 3) return named(ring.one_planar() ? "phenol" : "alcohol");
        return fails_drawn("c-O-h");
    }
    if (k == 2) {
        int other = other_oxygen(r, c, s.atom);
        if (other == 0)
            fatal_error(s.io, Files::listing, "DetExcept", "Could not identify \"other\" O-atom");
        return named(neighbour_count(r, other) == 1 ? "carboxylic" : "alcohol");
    }
    return fails_drawn("x-O-h");
}

bool o2_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 2 && type_count(s.r, s.atom) == 1 &&
           type_element(s.r, s.atom, 1) == C;
}
Outcome o2(Site& s) {
    const Records& r = s.r;
    int a = nth_neighbour(r, s.atom, 1), b = nth_neighbour(r, s.atom, 2);
    int na = neighbour_count(r, a), nb = neighbour_count(r, b);
    auto acid_c = [&](int x, int nx) { return nx == 3 && composition(r, x, {{C, 1}, {O, 2}}); };
    auto carbamic_c = [&](int x, int nx) { return nx == 3 && composition(r, x, {{N, 1}, {O, 2}}); };
    if (acid_c(a, na) && acid_c(b, nb)) return named("anhydride");
    int lo = std::min(na, nb), hi = std::max(na, nb);
    if (lo != 3 || (hi != 3 && hi != 4)) return fails_drawn("c-O-c");
    if (acid_c(a, na) || acid_c(b, nb)) return named("ester");
    if (carbamic_c(a, na) || carbamic_c(b, nb)) return named("carbamate ester");
    return fails_drawn("c-O-c");
}

// ------------------------------------------------------------------ oxygen, 1 neighbour

int nearest_neighbour(const Site& s) { return nth_neighbour(s.r, s.atom, 1); }

// The acid rows of O3: the carbon's other O decides; `carboxylic` chooses between the
// carboxylic names (step 7) and the carbamic ones (step 9), which have no anhydride.
Outcome acid_rows(Site& s, int c, bool carboxylic) {
    const Records& r = s.r;
    int other = other_oxygen(r, c, s.atom);
    if (neighbour_count(r, other) == 1) return named(carboxylic ? "carboxylate" : "carbamate");
    if (neighbour_count(r, other) == 2 && type_element(r, other, 1) == H)
        return named(carboxylic ? "carboxylic" : "carbamic acid");
    int x2 = 0;
    for (int m = 1; m <= neighbour_count(r, other); ++m)
        if (int j = nth_neighbour(r, other, m); j != 0 && j != c) x2 = j;
    if (carboxylic && neighbour_count(r, x2) == 3)
        return count_of(r, x2, O) == 2 ? named("anhydride") : silent();
    if (neighbour_count(r, x2) == 4) return named(carboxylic ? "ester" : "carbamate ester");
    return fails_drawn("(?)c=O [2]");
}

bool o3_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 1 && element(s.r, nearest_neighbour(s)) == C;
}
Outcome o3(Site& s) {
    const Records& r = s.r;
    int c = nearest_neighbour(s);
    bool ring = ring_of(r, c).one_planar();
    if (neighbour_count(r, c) != 3) return fails_drawn("(?)c=O [1]");
    int t1 = type_element(r, c, 1), t2 = type_element(r, c, 2), t3 = type_element(r, c, 3);
    int c1 = type_size(r, c, 1), c2 = type_size(r, c, 2);
    if (ring && t1 == N && c1 == 2) return named("aromaturea");
    if (ring && t1 == C && c1 == 2) return named("aromatketone");
    if (ring && t1 == C && c1 == 1 && t2 == O && c2 == 2) return named("aromatester");
    if (ring && t1 == C && t2 == N && t3 == O) return named("aromatamide");
    if (t1 == H && t2 == C) return named("aldehyde");
    if (t1 == C && c1 == 2) return named("ketone");
    if (t1 == C && c1 == 1 && t2 == O && c2 == 2) return acid_rows(s, c, true);
    if (t1 == N && c1 == 2) return named("urea");
    if (t1 == N && c1 == 1 && t2 == O && c2 == 2) return acid_rows(s, c, false);
    if (heaviest_is(r, c, S, 1)) return named("thioester");
    if (t1 == C && t2 == N && t3 == O && neighbour_count(r, first_of(r, c, N)) >= 3)
        return named("amide");
    return fails_drawn("(?)c=O [3]");
}

bool o4_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 1 && element(s.r, nearest_neighbour(s)) == N;
}
Outcome o4(Site& s) {
    const Records& r = s.r;
    int n = nearest_neighbour(s);
    if (neighbour_count(r, n) == 2)
        return composition(r, n, {{C, 1}, {O, 1}}) ? named("NO") : silent();
    if (neighbour_count(r, n) == 3) {
        if (composition(r, n, {{C, 1}, {O, 2}})) return named("NO2");
        if (composition(r, n, {{N, 1}, {O, 2}})) return named("NO2N");
        return silent();
    }
    return fails_drawn("(?)N-O [1]");
}

bool o5_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 1 && element(s.r, nearest_neighbour(s)) == P;
}
Outcome o5(Site& s) {
    const Records& r = s.r;
    int p = nearest_neighbour(s);
    if (neighbour_count(r, p) != 4) return fails_drawn("(?)p=O [1]");
    if (composition(r, p, {{C, 3}, {O, 1}})) return named("C3PO");
    if (composition(r, p, {{C, 1}, {O, 3}})) {
        candidate(s, "cpOoo(?)");
        int sum = neighbour_counts(r, {nearest_of(r, p, O, 1), nearest_of(r, p, O, 2),
                                       nearest_of(r, p, O, 3)}).sum;
        if (sum == 3) return named("CPO3");
        if (sum == 4) return named("CPO2(O-X)");
        if (sum == 5) return named("CPO(O-X)2");
        return fails_drawn("cpOoo(?)");
    }
    candidate(s, "pOooo(?)");
    int sum = neighbour_counts(r, {nth_neighbour(r, p, 1), nth_neighbour(r, p, 2),
                                   nth_neighbour(r, p, 3), nth_neighbour(r, p, 4)})
                  .sum;
    if (sum == 4) return named("pO4");
    if (sum == 5) return named("O3-p(ox)");
    if (sum == 7) return named("O-p(ox)3");
    return fails_drawn("pOooo(?)");
}

// Oxygen with 3 or more neighbours, or none, meets no entry condition.
const Block kOxygen[] = {
    {"O1", "c-O-h", o1_applies, o1},
    {"O2", "c-O-c", o2_applies, o2},
    {"O3", "(?)c=O", o3_applies, o3},
    {"O4", "(?)N-O", o4_applies, o4},
    {"O5", "(?)p=O", o5_applies, o5},
};

// ------------------------------------------------------------------ phosphorus

bool p1_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 4 && composition(s.r, s.atom, {{C, 1}, {O, 3}});
}
Outcome p1(Site& s) {
    const Records& r = s.r;
    int sum = neighbour_counts(r, {nearest_of(r, s.atom, O, 1), nearest_of(r, s.atom, O, 2),
                                   nearest_of(r, s.atom, O, 3)}).sum;
    if (sum == 3) return named("CPO3");
    if (sum == 4) return named("CPO2(O-X)");
    if (sum == 5) return named("CPO(O-X)2");
    return fails_drawn("cPooo(?)");
}

bool p2_applies(Site& s) {
    return neighbour_count(s.r, s.atom) == 4 && type_element(s.r, s.atom, 1) == O &&
           type_size(s.r, s.atom, 1) == 4;
}
Outcome p2(Site& s) {
    const Records& r = s.r;
    int x = s.atom;
    int sum = neighbour_counts(r, {nth_neighbour(r, x, 1), nth_neighbour(r, x, 2),
                                   nth_neighbour(r, x, 3), nth_neighbour(r, x, 4)})
                  .sum;
    if (sum == 5) return named("o3-P(ox)");
    if (sum == 6) return named("o2-P(ox)2");
    if (sum == 7) return named("o-P(ox)3");
    return fails_drawn("Poooo(?)");
}

const Block kPhosphorus[] = {
    {"P1", "cPooo(?)", p1_applies, p1},
    {"P2", "Poooo(?)", p2_applies, p2},
};

// ------------------------------------------------------------------ sulfur
// Every S atom is a candidate, whatever its neighbours.

bool s_applies(Site&) { return true; }
Outcome s1(Site& s) {
    const Records& r = s.r;
    int c = nth_neighbour(r, s.atom, 1);
    RingAnswer ring = ring_of(r, c);
    if (neighbour_count(r, c) != 3) return fails_drawn("(?)c=S [1]");
    if (!ring.one_planar()) return silent();
    if (type_element(r, c, 1) == N) return type_size(r, c, 1) == 2 ? named("PHthiourea") : silent();
    if (type_element(r, c, 1) == C) {
        if (type_size(r, c, 1) == 2) return named("PH=S");
        if (type_element(r, c, 2) == N && type_element(r, c, 3) == S)
            return named("aromathioamide");
    }
    return silent();
}

const Block kSulfur[] = {
    {"S", "(?)c=S", s_applies, s1},
};

// ------------------------------------------------------------------ halogens
// A halogen on one carbon is a candidate; it is named only when the carbon is aromatic.

bool on_one_carbon(Site& s, int z) {
    return element(s.r, s.atom) == z && neighbour_count(s.r, s.atom) == 1 &&
           type_element(s.r, s.atom, 1) == C;
}
Outcome on_aromatic(Site& s, const char* name) {
    return ring_of(s.r, nth_neighbour(s.r, s.atom, 1)).one_planar() ? named(name) : silent();
}

const Block kHalogen[] = {
    {"F", "(?)c-F", [](Site& s) { return on_one_carbon(s, F); },
     [](Site& s) { return on_aromatic(s, "PH-F"); }},
    {"Cl", "(?)c-Cl", [](Site& s) { return on_one_carbon(s, Cl); },
     [](Site& s) { return on_aromatic(s, "PH-Cl"); }},
    {"Br", "(?)c-Br", [](Site& s) { return on_one_carbon(s, Br); },
     [](Site& s) { return on_aromatic(s, "PH-Br"); }},
};

}  // namespace

std::span<const Block> nitrogen_blocks() { return kNitrogen; }
std::span<const Block> oxygen_blocks() { return kOxygen; }
std::span<const Block> phosphorus_blocks() { return kPhosphorus; }
std::span<const Block> sulfur_blocks() { return kSulfur; }
std::span<const Block> halogen_blocks() { return kHalogen; }

}  // namespace kova::groups
