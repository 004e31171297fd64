// Functional-group blocks of hydrogen and carbon atoms, one function per block in the order
// the rules try them. Only topology decides: elements, neighbour counts, rings and the
// planarity of small groups, never a bond length or angle.
#include <algorithm>

#include "frames/groups_rules.hpp"
#include "shared/format.hpp"

namespace kova::groups {

namespace {

constexpr int H = 1, B = 5, C = 6, N = 7, O = 8, F = 9, P = 15, S = 16, Zn = 30;

// ------------------------------------------------------------------ hydrogen
// X is the H atom's first neighbour, Q the first member of its heaviest type (X itself for an
// H with one neighbour). An H without neighbours, or on anything but N(3) and O(2), has no
// group and no candidate line.

int nearest_neighbour(const Site& s) { return nth_neighbour(s.r, s.atom, 1); }
int heaviest_neighbour(const Site& s) { return member(s.r, s.atom, type_count(s.r, s.atom), 1); }

bool h2_applies(Site& s) {
    return element(s.r, nearest_neighbour(s)) == N &&
           neighbour_count(s.r, nearest_neighbour(s)) == 3;
}
Outcome h2(Site& s) {
    int q = heaviest_neighbour(s);
    bool planar = group_is_planar(s.io, s.r, q, s.r.options.verbosity >= 3);
    if (!planar) return named("pyramidal amine");
    if (ring_of(s.r, q).one_planar()) return named("aromatic");
    return named("planar amine");
}

bool h3_applies(Site& s) {
    return element(s.r, nearest_neighbour(s)) == O &&
           neighbour_count(s.r, nearest_neighbour(s)) == 2;
}
Outcome h3(Site& s) {
    const Records& r = s.r;
    int o = nearest_neighbour(s);
    if (type_count(r, o) != 2) return fails("x-o-H [1]");
    int y = member(r, o, 2, 1);
    switch (element(r, y)) {
        case C:
            if (neighbour_count(r, y) == 4) return named("alcohol");
            if (neighbour_count(r, y) == 3) {
                RingAnswer ring = ring_of(r, y);
                if (ring.cyclic()) return ring.one_planar() ? named("phenol") : fails("c-o-H");
                if (heaviest_is(r, y, O, 2)) return named("carboxylic");
            }
            return fails("c-o-H");
        case B:
            return named("b-o-H");
        case P:
            return neighbour_count(r, y) == 4 ? named("phosp... acid") : fails("p-o-H");
        default:
            return fails("x-o-H [2]");
    }
}

const Block kHydrogen[] = {
    {"H2", "x2-n-H", h2_applies, h2},
    {"H3", "x-o-H", h3_applies, h3},
};

// ------------------------------------------------------------------ carbon, 3 neighbours
// s.own is the carbon's own ring answer; R is its ring number.

bool c1_applies(Site& s) {
    return !s.own.one_planar() && composition(s.r, s.atom, {{C, 2}, {O, 1}});
}
Outcome c1(Site& s) {
    int o = first_of(s.r, s.atom, O);
    return neighbour_count(s.r, o) == 1 ? named("ketone") : fails_drawn("c2--C--o-");
}

// C2 and C3 share their tests: the two O neighbours in distance order, the one with two
// neighbours (the second when both have two) deciding.
struct AcidNames {
    const char* both_terminal;
    const char* protonated;
    const char* anhydride;  // nullptr: not a name of this block
    const char* ester;
};
Outcome acid_test(Site& s, const AcidNames& names) {
    const Records& r = s.r;
    int o1 = nearest_of(r, s.atom, O, 1), o2 = nearest_of(r, s.atom, O, 2);
    if (neighbour_count(r, o1) == 1 && neighbour_count(r, o2) == 1)
        return named(names.both_terminal);
    int ox = neighbour_count(r, o2) == 2 ? o2 : (neighbour_count(r, o1) == 2 ? o1 : 0);
    if (ox == 0) return fails_drawn("cOO(?)");
    if (type_element(r, ox, 1) == H) return named(names.protonated);
    if (type_count(r, ox) == 1 && type_element(r, ox, 1) == C) {
        int x = other_neighbour(r, ox, s.atom);
        if (neighbour_count(r, x) == 3 && names.anhydride) return named(names.anhydride);
        if (neighbour_count(r, x) == 4) return named(names.ester);
    }
    return fails_drawn("cOO(?)");
}

bool c2_applies(Site& s) { return composition(s.r, s.atom, {{C, 1}, {O, 2}}); }
Outcome c2(Site& s) { return acid_test(s, {"carboxylate", "carboxylic", "anhydride", "ester"}); }

bool c3_applies(Site& s) { return composition(s.r, s.atom, {{N, 1}, {O, 2}}); }
Outcome c3(Site& s) {
    return acid_test(s, {"carbamate", "carbamic acid", nullptr, "carbamate ester"});
}

bool c4_applies(Site& s) {
    return s.own.one_planar() && composition(s.r, s.atom, {{C, 2}, {O, 1}});
}
Outcome c4(Site& s) {
    const Records& r = s.r;
    int o = first_of(r, s.atom, O);
    RingAnswer ring = ring_of(r, o);
    if (ring.one_planar() && ring.ring == s.own.ring) {
        if (neighbour_count(r, o) == 2 && type_count(r, o) == 1 && type_element(r, o, 1) == C)
            return named("furano");
        if (neighbour_count(r, o) == 2 && type_element(r, o, 1) == C && type_element(r, o, 2) == N)
            return named("furanoN");
        return silent();
    }
    if (neighbour_count(r, o) == 1) return named("phenolate");
    if (neighbour_count(r, o) == 2 && (type_element(r, o, 1) == H || type_count(r, o) == 1))
        return named("phenolic");
    return silent();
}

bool c5_applies(Site& s) { return composition(s.r, s.atom, {{B, 1}, {C, 2}}); }
Outcome c5(Site& s) {
    int b = first_of(s.r, s.atom, B);
    int x = other_neighbour(s.r, b, s.atom);
    if (x == 0) return silent();
    return element(s.r, x) == F ? named("C-b-F3") : fails_drawn("(?)");
}

bool c6_applies(Site& s) {
    return s.own.one_planar() && heaviest_is(s.r, s.atom, N, 3);
}
Outcome c6(Site& s) {
    const Records& r = s.r;
    Counts c = neighbour_counts(r, {nearest_of(r, s.atom, N, 1), nearest_of(r, s.atom, N, 2),
                                    nearest_of(r, s.atom, N, 3)});
    if (c.max == 3 && c.sum == 7) return named("3N-sp2(232)");
    if (c.min == 3) return named("3N-sp2(333)");
    if (c.max == 3 && c.sum == 8) return named("3N-sp2(233)");
    return silent();
}

// C7's sub-test for a neighbour N outside planar rings: the counts of the three neighbours,
// with or without an oxygen on one of them (a nitro group).
Outcome c7_open_nitrogen(Site& s) {
    const Records& r = s.r;
    candidate(s, " n-=Cn=-c (?) ");
    int a1 = nth_neighbour(r, s.atom, 1), a2 = nth_neighbour(r, s.atom, 2),
        a3 = nth_neighbour(r, s.atom, 3);
    Counts c = neighbour_counts(r, {a1, a2, a3});
    bool n2n3c3 = c.max == 3 && c.min == 2 && c.sum == 8;
    bool n3n3c3 = c.max == 3 && c.min == 3 && c.sum == 9;
    if (heaviest_element(r, a1) == O || heaviest_element(r, a2) == O ||
        heaviest_element(r, a3) == O) {
        note(s, FreeLine() << " ia1, ia2, ia3 = " << a1 << a2 << a3);
        if (n2n3c3) return named("nitro-n2n3c3");
        if (n3n3c3) return named("nitro-n3n3c3");
        return silent();
    }
    note(s, FreeLine() << " ia4, ia5, ia6 = " << a1 << a2 << a3);
    if (n2n3c3) return named("n2n3c3");
    if (n3n3c3) return named("n3n3c3");
    return silent();
}

bool c7_applies(Site& s) {
    return s.own.one_planar() && heaviest_is(s.r, s.atom, N, 2);
}
Outcome c7(Site& s) {
    const Records& r = s.r;
    int ring_n[2] = {0, 0};
    int found = 0;
    for (int k = 1; k <= 3; ++k) {
        int n = nth_neighbour(r, s.atom, k);
        RingAnswer ring = ring_of(r, n);
        note(s, FreeLine() << " iatr, iCr = " << ring.ring << s.own.ring);
        if (element(r, n) != N) continue;
        if (!ring.one_planar()) return c7_open_nitrogen(s);
        if (ring.ring != s.own.ring) {
            Counts c =
                neighbour_counts(r, {nth_neighbour(r, s.atom, 1), nth_neighbour(r, s.atom, 2),
                                     nth_neighbour(r, s.atom, 3)});
            return named(c.sum == 8 ? "NNring1" : "NNring2");
        }
        if (found < 2) ring_n[found++] = n;
    }
    int n1 = neighbour_count(r, ring_n[0]), n2 = neighbour_count(r, ring_n[1]);
    note(s, FreeLine() << " i1N, i2N = " << ring_n[0] << ring_n[1]);
    note(s, FreeLine() << " i1Nn, i2Nn = " << n1 << n2);
    int lo = std::min(n1, n2), hi = std::max(n1, n2);
    if (hi == 2) return named("non-substituted nitrogens");
    if (lo == 3) {
        bool zinc = heaviest_element(r, ring_n[0]) == Zn || heaviest_element(r, ring_n[1]) == Zn;
        return named(zinc ? "ZNnCn" : "substituted nitrogens");
    }
    if (lo == 2 && hi == 3) return named("mixed nitrogens");
    return silent();
}

bool c8_applies(Site& s) {
    return s.own.one_planar() && composition(s.r, s.atom, {{N, 2}, {O, 1}});
}
Outcome c8(Site& s) {
    int o = first_of(s.r, s.atom, O);
    RingAnswer ring = ring_of(s.r, o);
    if (ring.one_planar() && ring.ring == s.own.ring)
        return neighbour_count(s.r, o) == 2 ? named("pirofurano") : silent();
    return neighbour_count(s.r, o) == 1 ? named("aromaturea") : silent();
}

bool c9_applies(Site& s) {
    const Records& r = s.r;
    return s.own.one_planar() && type_count(r, s.atom) == 3 && type_element(r, s.atom, 1) == C &&
           type_element(r, s.atom, 2) == N && type_element(r, s.atom, 3) == O;
}
Outcome c9(Site& s) {
    const Records& r = s.r;
    int a = nth_neighbour(r, s.atom, 1), b = nth_neighbour(r, s.atom, 2);
    int za = element(r, a), zb = element(r, b);
    if (!((za == N && zb == O) || (za == O && zb == N))) {
        note(s, FreeLine() << ":(");
        return fails("C(cyc)-n=");
    }
    int o = za == O ? a : b;
    if (ring_of(r, o).ring == s.own.ring) return named("o-Cc-n");
    if (neighbour_count(r, o) == 1) return named("amido");
    if (neighbour_count(r, o) == 2) return named("amidoH");
    return silent();
}

bool c10_applies(Site& s) {
    return s.own.one_planar() && heaviest_is(s.r, s.atom, N, 1);
}
Outcome c10(Site& s) {
    const Records& r = s.r;
    int n = first_of(r, s.atom, N);
    RingAnswer ring = ring_of(r, n);
    int k = neighbour_count(r, n);
    if (ring.one_planar() && ring.ring == s.own.ring) {
        if (k == 3) return all_h_or_c(r, n) ? named("substituted nitrogen") : fails("C(cyc)-n=");
        if (k == 2) return named("non-substituted nitrogen");
        return fails("C(cyc)-n=");
    }
    if (k == 3) {
        if (heaviest_is(r, n, O, 2)) return named("nitrophenyl");
        if (all_h_or_c(r, n)) return named("aminophenyl");
        return fails("C(cyc)-n=");
    }
    if (k == 2)
        return heaviest_is(r, n, O, 1) ? named("ph-noh") : silent();
    if (k == 4) return all_h_or_c(r, n) ? named("protonated aminophenyl") : fails("C(cyc)-n=");
    return silent();
}

bool c11_applies(Site& s) {
    return s.own.two_planar() && heaviest_is(s.r, s.atom, N, 1);
}
Outcome c11(Site& s) {
    RingAnswer ring = ring_of(s.r, first_of(s.r, s.atom, N));
    return (ring.one_planar() && ring.size == 5) ? named("C(2cyc)-n5") : silent();
}

bool c12_applies(Site& s) {
    return s.own.one_planar() && heaviest_is(s.r, s.atom, C, 2);
}
Outcome c12(Site& s) {
    int c1 = nearest_of(s.r, s.atom, C);
    RingAnswer ring = ring_of(s.r, c1);
    return (neighbour_count(s.r, c1) == 4 && ring.ring == s.own.ring) ? named("cycloene")
                                                                      : silent();
}

bool c13_applies(Site& s) { return composition(s.r, s.atom, {{C, 1}, {N, 1}, {S, 1}}); }
Outcome c13(Site& s) {
    switch (neighbour_count(s.r, first_of(s.r, s.atom, S))) {
        case 1: return named("THIO");
        case 4: return named("SX4");
        case 2: return named("THIO-X");
        default: return fails_drawn("c-C(=s)-n(?)");
    }
}

const Block kCarbon3[] = {
    {"C1", "c2Co", c1_applies, c1},
    {"C2", "Coo(?)", c2_applies, c2},
    {"C3", "Coo(?)", c3_applies, c3},
    {"C4", "C(cyc)-o-x", c4_applies, c4},
    {"C5", "c2Cb(?)", c5_applies, c5},
    {"C6", "n-Cn-n", c6_applies, c6},
    {"C7", "n-C(cyc)-n", c7_applies, c7},
    {"C8", "Cn2(cyc)=o/Cno(cyc)-n(?)", c8_applies, c8},
    {"C9", "Ccno(?)", c9_applies, c9},
    {"C10", "C(cyc)-n=", c10_applies, c10},
    {"C11", "C(2cyc)-n=", c11_applies, c11},
    {"C12", "c(sp3,cyc)-C(cyc)=x", c12_applies, c12},
    {"C13", "c-C(=s)-n(?)", c13_applies, c13},
};

// ------------------------------------------------------------------ carbon, 4 neighbours

bool c14_applies(Site& s) { return heaviest_is(s.r, s.atom, N, 1); }
Outcome c14(Site& s) {
    const Records& r = s.r;
    for (int t = 1; t < type_count(r, s.atom); ++t)
        if (type_element(r, s.atom, t) != H && type_element(r, s.atom, t) != C)
            return fails("n-C-(x/y/z)");
    int n = first_of(r, s.atom, N);
    note(s, "");
    note(s, " Checking connected N-atom = " +
                pad(r.structure.label[static_cast<std::size_t>(n)], 8));
    if (neighbour_count(r, n) == 4) return named("ammonium");
    if (neighbour_count(r, n) == 3)
        return named(group_is_planar(s.io, r, n) ? "planar amine" : "pyramidal amine");
    return fails("n-C-(c/h)3");
}

bool c15_applies(Site& s) {
    const Records& r = s.r;
    int x = s.atom;
    bool h3s = type_element(r, x, 1) == H && type_size(r, x, 1) == 3 &&
               type_element(r, x, 2) == S && type_size(r, x, 2) == 1;
    bool h2cs = type_element(r, x, 1) == H && type_size(r, x, 1) == 2 &&
                type_element(r, x, 2) == C && type_size(r, x, 2) == 1 &&
                type_element(r, x, 3) == S;
    return h3s || h2cs;
}
Outcome c15(Site& s) {
    int sx = nearest_of(s.r, s.atom, S);
    bool zinc = type_element(s.r, sx, 1) == Zn || type_element(s.r, sx, 2) == Zn;
    return zinc ? named("C-s-Zn") : fails_drawn("c-s-(?)");
}

const Block kCarbon4[] = {
    {"C14", "n-C-(c/h)3", c14_applies, c14},
    {"C15", "C-s(?)", c15_applies, c15},
};

}  // namespace

std::span<const Block> hydrogen_blocks() { return kHydrogen; }
std::span<const Block> carbon3_blocks() { return kCarbon3; }
std::span<const Block> carbon4_blocks() { return kCarbon4; }

}  // namespace kova::groups
