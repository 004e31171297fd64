// Functional groups named from topology: small molecules with ideal bond lengths and angles
// (built in molecule.hpp, all atoms in the xy plane unless a tetrahedral centre is named),
// Cartesian input, neighbours from the neighbour stage; rings are given as the ring search
// would store them.
#include <gtest/gtest.h>

#include "frames/frame_driver.hpp"
#include "frames/groups.hpp"
#include "group_listing.hpp"
#include "shared/fatal.hpp"
#include "molecule.hpp"
#include "output/group_ang.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

using test::cand;
using test::fan;
using test::Lines;
using test::Molecule;
using test::tet;
using test::tri;
using test::unknown;
using test::operator+;

// One atom's expected result: the name (blank: none found) and every listing line of its call.
struct Want {
    int atom;
    std::string name;
    Lines lines;
};

// Each call's picture is kept as the frame analysis keeps it: the last one drawn is what
// write_group_ang then writes.
void expect_groups(Molecule& m, const std::vector<Want>& wants) {
    for (const auto& w : wants) {
        int from = m.mark();
        const FunctionalGroup group = find_functional_group(m.r.io, m.r, w.atom);
        std::string label = trim(m.r.structure.label[w.atom]);
        EXPECT_EQ(group.name.size(), 40u) << label;
        EXPECT_EQ(trim(group.name), w.name) << label;
        EXPECT_EQ(group.found, !w.name.empty()) << label;
        EXPECT_EQ(m.listing(from), w.lines) << label;
        if (!group.picture.empty()) m.r.frames.group_picture = group.picture;
    }
}

// Carboxylic acid, carboxylate, ester and anhydride: a carbonyl C at the origin with a methyl
// along 90 degrees (1.50), the C=O along 210 degrees (1.21) and the second O along 330
// degrees; what hangs on the second O makes the group.
TEST(FindFunctionalGroup, CarboxylGroups) {
    {   // acetic acid, the O-H 0.97 on along 330 degrees
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.50f);
        m.methyl_h(me, tri[0], "H(");
        int o1 = m.on(c, "O(1)", tri[1], 1.21f);
        int o2 = m.on(c, "O(2)", tri[2], 1.31f);
        int h = m.on(o2, "H(4)", tri[2], 0.97f);
        m.neighbours();
        expect_groups(m, {
            {c, "carboxylic", cand("Coo(?)")},  // O(2) has two neighbours, its lightest is H
            {o1, "carboxylic", cand("(?)c=O")},  // step 7: the other O carries the H
            {o2, "carboxylic", cand("c-O-h")},   // two O on the C, the other one terminal
            {h, "carboxylic", cand("x-o-H")},    // Y has 3 neighbours, two of them O
            {me, "", {}},                         // {3 H, 1 C}: no block
            {me + 1, "", {}},                     // H on C
        });
    }
    {   // acetate: both O terminal (1.25, 1.26)
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.50f);
        m.methyl_h(me, tri[0], "H(");
        int o1 = m.on(c, "O(1)", tri[1], 1.25f);
        int o2 = m.on(c, "O(2)", tri[2], 1.26f);
        m.neighbours();
        expect_groups(m, {{c, "carboxylate", cand("Coo(?)")},
                          {o1, "carboxylate", cand("(?)c=O")},
                          {o2, "carboxylate", cand("(?)c=O")}});
    }
    {   // methyl acetate: a methyl C 1.44 on along 330 degrees from O(2)
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.50f);
        m.methyl_h(me, tri[0], "H(");
        int o1 = m.on(c, "O(1)", tri[1], 1.21f);
        int o2 = m.on(c, "O(2)", tri[2], 1.34f);
        int c3 = m.on(o2, "C(3)", tri[2], 1.44f);
        m.methyl_h(c3, tri[2], "H(3");
        m.neighbours();
        expect_groups(m, {{c, "ester", cand("Coo(?)")},    // the O with 2 neighbours, its C has 4
                          {o1, "ester", cand("(?)c=O")},   // X2 = C(3) with 4 neighbours
                          {o2, "ester", cand("c-O-c")},    // C(1) 3 {1 C, 2 O}, C(3) 4
                          {c3, "", {}}});                 // {3 H, 1 O}
    }
    {   // acetic anhydride: O(2) 1.39 to a second carbonyl C(3), whose O(3) points along 270
        // degrees and methyl C(4) along 30 degrees
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.50f);
        m.methyl_h(me, tri[0], "H(");
        int o1 = m.on(c, "O(1)", tri[1], 1.20f);
        int o2 = m.on(c, "O(2)", tri[2], 1.39f);
        int c3 = m.on(o2, "C(3)", tri[2], 1.39f);
        int o3 = m.on(c3, "O(3)", {0, -1, 0}, 1.20f);
        int c4 = m.on(c3, "C(4)", {0.8660254f, 0.5f, 0}, 1.50f);
        m.methyl_h(c4, {0.8660254f, 0.5f, 0}, "H(4");
        m.neighbours();
        expect_groups(m, {{c, "anhydride", cand("Coo(?)")},
                          {o2, "anhydride", cand("c-O-c")},
                          {o1, "anhydride", cand("(?)c=O")},   // X2 = C(3): 3 neighbours, 2 O
                          {c3, "anhydride", cand("Coo(?)")},
                          {o3, "anhydride", cand("(?)c=O")}});
    }
}

// Acetone: C(1) with methyls along 90 and 330 degrees (1.51) and the O along 210 (1.21);
// the same carbonyl inside a planar ring goes to the ring blocks instead.
TEST(FindFunctionalGroup, KetoneInAndOutOfPlanarRing) {
    Molecule m;
    int c = m.at("C(1)", {0, 0, 0});
    int c2 = m.on(c, "C(2)", tri[0], 1.51f);
    m.methyl_h(c2, tri[0], "H(2");
    int c3 = m.on(c, "C(3)", tri[2], 1.52f);
    m.methyl_h(c3, tri[2], "H(3");
    int o = m.on(c, "O(1)", tri[1], 1.21f);
    m.neighbours();
    expect_groups(m, {{c, "ketone", cand("c2Co")}, {o, "ketone", cand("(?)c=O")}});

    m.ring({c, c2, c3});  // membership only
    expect_groups(m, {{c, "phenolate", cand("C(cyc)-o-x")},  // C4: O outside the ring, terminal
                      {o, "aromatketone", cand("(?)c=O")}});
}

// Acetaldehyde (H 1.10 along 330 degrees), acetamide (NH2 1.33 along 330 degrees, planar, its
// H atoms 1.01 along 270 and 30 degrees) and methanol (tetrahedral C, O-H on along the C-O).
TEST(FindFunctionalGroup, AldehydeAmideAlcohol) {
    {
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.50f);
        m.methyl_h(me, tri[0], "H(");
        int o = m.on(c, "O(1)", tri[1], 1.21f);
        m.on(c, "H(4)", tri[2], 1.10f);
        m.neighbours();
        expect_groups(m, {{o, "aldehyde", cand("(?)c=O")}, {c, "", {}}});
    }
    {
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.51f);
        m.methyl_h(me, tri[0], "H(");
        int o = m.on(c, "O(1)", tri[1], 1.23f);
        int n = m.on(c, "N(1)", tri[2], 1.33f);
        int h4 = m.on(n, "H(4)", {0, -1, 0}, 1.01f);
        m.on(n, "H(5)", {0.8660254f, 0.5f, 0}, 1.02f);
        m.neighbours();
        expect_groups(m, {{o, "amide", cand("(?)c=O")},          // step 11, N with 3 neighbours
                          {h4, "planar amine", cand("x2-n-H")},  // N group planar, no ring
                          {n, "", {}},                            // planar, but not {3 C}
                          {c, "", {}}});                          // C9 only inside a ring
    }
    {
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int o = m.on(c, "O(1)", tet[0], 1.43f);
        int h = m.on(o, "H(4)", tet[0], 0.96f);
        for (int k = 1; k <= 3; ++k)
            m.on(c, "H(" + std::to_string(k) + ")", tet[k], 1.08f + 0.01f * k);
        m.neighbours();
        expect_groups(m,
                      {{o, "alcohol", cand("c-O-h")}, {h, "alcohol", cand("x-o-H")}, {c, "", {}}});
    }
}

// A substituted benzene, ring of radius 1.39 in the xy plane with C(k) at 60(k-1) degrees and
// every substituent radial: NH2 on C(1) (N 1.40, H atoms 1.01 at +-60 degrees to the radius),
// Cl on C(2) (1.74), H on C(3) and C(6) (1.08), NO2 on C(4) (N 1.47, O 1.22 at +-60 degrees),
// OH on C(5) (O 1.36, H 0.96 radial).
struct Benzene {
    Molecule m;
    int c[7]{}, n1, ha, cl, n4, o4a, o5, h5, hc3;
    Benzene() {
        auto radial = [](int k) {
            float a = 1.0471976f * static_cast<float>(k - 1);
            return Vec3f{std::cos(a), std::sin(a), 0};
        };
        auto turned = [](int k, float deg) {
            float a = 1.0471976f * static_cast<float>(k - 1) + deg * 0.017453292f;
            return Vec3f{std::cos(a), std::sin(a), 0};
        };
        for (int k = 1; k <= 6; ++k)
            c[k] = m.at("C(" + std::to_string(k) + ")", test::times(radial(k), 1.39f));
        for (int k = 1; k <= 6; ++k) m.bond(c[k], c[k % 6 + 1]);
        n1 = m.on(c[1], "N(1)", radial(1), 1.40f);
        ha = m.on(n1, "H(1A)", turned(1, 60), 1.01f);
        m.on(n1, "H(1B)", turned(1, -60), 1.02f);
        cl = m.on(c[2], "CL(2)", radial(2), 1.74f);
        hc3 = m.on(c[3], "H(3)", radial(3), 1.08f);
        n4 = m.on(c[4], "N(4)", radial(4), 1.47f);
        o4a = m.on(n4, "O(4A)", turned(4, 60), 1.22f);
        m.on(n4, "O(4B)", turned(4, -60), 1.23f);
        o5 = m.on(c[5], "O(5)", radial(5), 1.36f);
        h5 = m.on(o5, "H(5)", radial(5), 0.96f);
        m.on(c[6], "H(6)", radial(6), 1.08f);
        m.neighbours();
    }
};

TEST(FindFunctionalGroup, AromaticRingSubstituents) {
    Benzene b;
    auto& m = b.m;
    m.ring({b.c[1], b.c[2], b.c[3], b.c[4], b.c[5], b.c[6]});
    expect_groups(m, {
        {b.c[1], "aminophenyl", cand("C(cyc)-n=")},
        {b.c[4], "nitrophenyl", cand("C(cyc)-n=")},
        {b.c[5], "phenolic", cand("C(cyc)-o-x")},
        {b.c[3], "", cand("c(sp3,cyc)-C(cyc)=x")},  // its first C neighbour has 3, not 4: silent
        {b.c[2], "", {}},                           // heaviest type Cl: no block
        {b.cl, "PH-Cl", cand("(?)c-Cl")},
        {b.o5, "phenol", cand("c-O-h")},
        {b.h5, "phenol", cand("x-o-H")},
        {b.ha, "planar amine", cand("x2-n-H")},
        {b.o4a, "NO2", cand("(?)N-O")},
        {b.n4, "", {}},
        {b.hc3, "", {}},
    });
}

TEST(FindFunctionalGroup, RingThatIsNotPlanarOrAbsent) {
    Benzene b;
    auto& m = b.m;
    m.ring({b.c[1], b.c[2], b.c[3], b.c[4], b.c[5], b.c[6]}, false);
    expect_groups(m, {{b.h5, "", cand("x-o-H") + unknown("c-o-H")}});
    // the message points to a picture it did not draw
    EXPECT_TRUE(m.r.frames.group_picture.empty());

    m.r.topology.ring_count = 0;  // no ring search: the halobenzene is taken for a haloalkane
    expect_groups(m, {{b.cl, "", cand("(?)c-Cl")}, {b.c[1], "", {}}});
}

// Pyridine and pyrrole: regular rings in the xy plane (radius 1.39 and 1.19, N first at 0
// degrees), every H radial (C-H 1.08, N-H 1.01).
void ring_with_n(Molecule& m, int size, bool nh, std::vector<int>& atoms) {
    float radius = size == 6 ? 1.39f : 1.19f;
    for (int k = 0; k < size; ++k) {
        float a = 6.2831853f * static_cast<float>(k) / static_cast<float>(size);
        Vec3f u{std::cos(a), std::sin(a), 0};
        int x = m.at((k == 0 ? "N(" : "C(") + std::to_string(k + 1) + ")", test::times(u, radius));
        atoms.push_back(x);
    }
    for (int k = 0; k < size; ++k) m.bond(atoms[k], atoms[(k + 1) % size]);
    for (int k = 0; k < size; ++k) {
        if (k == 0 && !nh) continue;
        float a = 6.2831853f * static_cast<float>(k) / static_cast<float>(size);
        atoms.push_back(m.on(atoms[k], "H(" + std::to_string(k + 1) + ")",
                             {std::cos(a), std::sin(a), 0}, k == 0 ? 1.01f : 1.08f));
    }
    m.neighbours();
}

TEST(FindFunctionalGroup, AromaticNitrogen) {
    {
        std::vector<int> a;
        Molecule m;
        ring_with_n(m, 6, false, a);
        m.ring({a[0], a[1], a[2], a[3], a[4], a[5]});
        expect_groups(m, {{a[1], "non-substituted nitrogen", cand("C(cyc)-n=")}, {a[0], "", {}}});
    }
    {
        std::vector<int> a;
        Molecule m;
        ring_with_n(m, 5, true, a);
        int hn = a[5];
        m.ring({a[0], a[1], a[2], a[3], a[4]});
        expect_groups(m, {{a[1], "substituted nitrogen", cand("C(cyc)-n=")},
                          {hn, "aromatic", cand("x2-n-H")}});
        m.ring({a[0], a[1], a[2]});  // the N now in two fused planar rings
        expect_groups(m, {{hn, "planar amine", cand("x2-n-H")}});
    }
}

// Amines on methyl groups: N at the origin with three C at 1.45, 1.46, 1.47 Å, either along
// three tetrahedral directions (pyramidal) or along 90, 210 and 330 degrees (planar).
void trimethylamine(Molecule& m, bool planar) {
    int n = m.at("N(1)", {0, 0, 0});
    for (int k = 0; k < 3; ++k) {
        Vec3f u = planar ? tri[k] : tet[k];
        int c = m.on(n, "C(" + std::to_string(k + 1) + ")", u, 1.45f + 0.01f * k);
        m.methyl_h(c, u, "H(" + std::to_string(k + 1));
    }
    m.neighbours();
}

TEST(FindFunctionalGroup, AminesOnMethylGroups) {
    const Lines checking = {"", " Checking connected N-atom = N(1)    "};
    {
        Molecule m;
        trimethylamine(m, false);
        expect_groups(m, {{2, "pyramidal amine", cand("n-C-(c/h)3") + checking}, {1, "", {}}});
    }
    {
        Molecule m;
        trimethylamine(m, true);
        expect_groups(m, {{2, "planar amine", cand("n-C-(c/h)3") + checking},
                          // N1: three C with 4 neighbours each (sum 12)
                          {1, "", cand("c-Nc1-c1 N-planar c1=?") + unknown("c-Nc1-c1 planar")}});
        // The picture: N, then per C (distance order) the shell behind each of its neighbours
        // before the neighbour: C(1)'s H atoms bring back C(1), then N brings C(2) and C(3).
        // the last picture drawn
        test::write_whole(m.r.io, Files::group_ang, "group.ang",
                          [&] { write_group_ang(m.r.io, m.r); });
        auto lines = test::lines_of(m.dir.read("group.ang"));
        Lines labels;
        for (std::size_t k = 1; k < lines.size(); ++k) labels.push_back(lines[k].substr(5, 8));
        EXPECT_EQ(lines[0], "ANGSTROM");
        EXPECT_EQ(labels, (Lines{"N(1)    ", "C(1)    ", "H(11)   ", "H(12)   ", "H(13)   ",
                                 "C(2)    ", "C(3)    ", "H(21)   ", "H(22)   ", "H(23)   ",
                                 "H(31)   ", "H(32)   ", "H(33)   "}));
        // C(1) lies 1.45 Å along +y
        EXPECT_EQ(lines[2], "ATOM C(1)    " + std::string("  ") + "      0.0000" + "      1.4500" +
                                "      0.0000");
    }
    {   // N,N-dimethylformamide N: one C with 3 neighbours, two with 4 (sum 11)
        Molecule m;
        int n = m.at("N(1)", {0, 0, 0});
        int cf = m.on(n, "C(1)", tri[0], 1.35f);
        m.on(cf, "O(1)", {0.8660254f, 0.5f, 0}, 1.23f);
        m.on(cf, "H(1)", {-0.8660254f, 0.5f, 0}, 1.10f);
        for (int k = 1; k <= 2; ++k) {
            int c = m.on(n, "C(" + std::to_string(k + 1) + ")", tri[k], 1.45f + 0.01f * k);
            m.methyl_h(c, tri[k], "H(" + std::to_string(k + 1));
        }
        m.neighbours();
        expect_groups(m, {{n, "csp2sp3sp3", cand("c-Nc1-c1 N-planar c1=?")}});
    }
    {   // methylammonium: tetrahedral C and N, N-H 1.03
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int n = m.on(c, "N(1)", tet[0], 1.49f);
        for (int k = 0; k < 3; ++k)
            m.on(n, "H(N" + std::to_string(k + 1) + ")", fan(tet[0], k), 1.03f + 0.01f * k);
        for (int k = 1; k <= 3; ++k) m.on(c, "H(" + std::to_string(k) + ")", tet[k], 1.09f);
        m.neighbours();
        expect_groups(m, {{c, "ammonium", cand("n-C-(c/h)3") + checking}, {n + 1, "", {}}});
    }
}

// Two failures that draw a picture, then a group that is named: each failure hands back its
// own picture, the named group none, and the records are left alone.
TEST(FindFunctionalGroup, EachFailureHandsBackItsPicture) {
    Molecule m;
    int n = m.at("N(1)", {0, 0, 0});  // planar trimethylamine, as above
    for (int k = 0; k < 3; ++k) {
        int c = m.on(n, "C(" + std::to_string(k + 1) + ")", tri[k], 1.45f + 0.01f * k);
        m.methyl_h(c, tri[k], "H(" + std::to_string(k + 1));
    }
    int p = m.at("P(1)", {20, 0, 0});  // PO4, 20 Å away
    for (int k = 0; k < 4; ++k) m.on(p, "O(" + std::to_string(k + 1) + ")", tet[k], 1.53f);
    m.neighbours();
    const Records& records = m.r;  // the search only reads them
    const FunctionalGroup phosphate = find_functional_group(m.r.io, records, p);  // "Poooo(?)"
    const FunctionalGroup amine = find_functional_group(m.r.io, records, n);  // "c-Nc1-c1 planar"
    const FunctionalGroup methyl = find_functional_group(m.r.io, records, 2);  // "planar amine"
    ASSERT_EQ(phosphate.picture.size(), 5u);  // P and its four O
    EXPECT_EQ(phosphate.picture[0].atom, p);
    ASSERT_EQ(amine.picture.size(), 13u);  // N, its three C and their nine H
    EXPECT_EQ(amine.picture[0].atom, n);
    EXPECT_TRUE(methyl.found);
    EXPECT_TRUE(methyl.picture.empty());
    EXPECT_TRUE(m.r.frames.group_picture.empty());
}

// The frame analysis hands group.ang the last picture drawn: the phosphate (atoms 1-5) draws
// first, then the planar trimethylamine N; every other atom is named (the O atoms "pO4", the
// C atoms "planar amine") or, as the H atoms, never draws.
TEST(FindFunctionalGroup, TheLastPictureDrawnIsKept) {
    Molecule m;
    int p = m.at("P(1)", {20, 0, 0});  // PO4, 20 Å away from the amine
    for (int k = 0; k < 4; ++k) m.on(p, "O(" + std::to_string(k + 1) + ")", tet[k], 1.53f);
    int n = m.at("N(1)", {0, 0, 0});
    for (int k = 0; k < 3; ++k) {
        int c = m.on(n, "C(" + std::to_string(k + 1) + ")", tri[k], 1.45f + 0.01f * k);
        m.methyl_h(c, tri[k], "H(" + std::to_string(k + 1));
    }
    m.neighbours();
    frame_all_atoms(m.r.io, m.r, nullptr);
    test::write_whole(m.r.io, Files::group_ang, "group.ang", [&] { write_group_ang(m.r.io, m.r); });
    auto lines = test::lines_of(m.dir.read("group.ang"));
    ASSERT_EQ(lines.size(), 1u + 13u);  // N, its three C and their nine H
    EXPECT_EQ(lines[1].substr(0, 13), "ATOM N(1)    ");
    for (const auto& l : lines) EXPECT_EQ(l.find("P(1)"), std::string::npos) << l;
}

// Thioacetamide: C(1) with a methyl along 90 degrees, S along 210 (1.68), NH2 along 330 (1.32).
TEST(FindFunctionalGroup, Thioamide) {
    Molecule m;
    int c = m.at("C(1)", {0, 0, 0});
    int me = m.on(c, "C(2)", tri[0], 1.50f);
    m.methyl_h(me, tri[0], "H(");
    int s = m.on(c, "S(1)", tri[1], 1.68f);
    int n = m.on(c, "N(1)", tri[2], 1.32f);
    m.on(n, "H(4)", {0, -1, 0}, 1.01f);
    m.on(n, "H(5)", {0.8660254f, 0.5f, 0}, 1.02f);
    m.neighbours();
    expect_groups(m, {{c, "THIO", cand("c-C(=s)-n(?)")},
                      {s, "", cand("(?)c=S")}});  // its C is in no planar ring: silent
}

// Phosphate: P at the origin, O(k) along the tetrahedral directions at 1.53 + 0.01k Å; O-H
// 0.97 Å on along the P-O line for the protonated O atoms.
void phosphate(Molecule& m, int protons) {
    int p = m.at("P(1)", {0, 0, 0});
    for (int k = 0; k < 4; ++k) {
        int o = m.on(p, "O(" + std::to_string(k + 1) + ")", tet[k], 1.53f + 0.01f * k);
        if (k >= 4 - protons) m.on(o, "H(" + std::to_string(k + 1) + ")", tet[k], 0.97f);
    }
    m.neighbours();
}

TEST(FindFunctionalGroup, Phosphates) {
    {   // PO4: sum of the O neighbour counts 4
        Molecule m;
        phosphate(m, 0);
        expect_groups(m, {{2, "pO4", cand("(?)p=O") + cand("pOooo(?)")},
                          {1, "", cand("Poooo(?)") + unknown("Poooo(?)")}});
        // the last picture drawn
        test::write_whole(m.r.io, Files::group_ang, "group.ang",
                          [&] { write_group_ang(m.r.io, m.r); });
        auto lines = test::lines_of(m.dir.read("group.ang"));
        ASSERT_EQ(lines.size(), 6u);  // P and its four O
        EXPECT_EQ(lines[1].substr(0, 13), "ATOM P(1)    ");
        EXPECT_EQ(lines[5].substr(0, 13), "ATOM O(4)    ");
    }
    {   // H2PO4: sum 6
        Molecule m;
        phosphate(m, 2);
        expect_groups(m, {{1, "o2-P(ox)2", cand("Poooo(?)")},
                          {2, "", cand("(?)p=O") + cand("pOooo(?)") + unknown("pOooo(?)")},
                          {7, "phosp... acid", cand("x-o-H")},  // H(4) on O(4)
                          {6, "", {}}});                        // O(4): {H, P}
    }
    {   // H3PO4: sum 7
        Molecule m;
        phosphate(m, 3);
        expect_groups(m, {{1, "o-P(ox)3", cand("Poooo(?)")},
                          {2, "O-p(ox)3", cand("(?)p=O") + cand("pOooo(?)")}});
    }
}

// H on an O bonded to one atom Y of another element (Y at the origin, O 1.36 along 90
// degrees, H on along the same line), and water (O-H 0.96 and 0.97 Å, 120 degrees).
TEST(FindFunctionalGroup, HydroxylOnOtherElementsAndWater) {
    struct Case {
        const char* y;
        std::string name;
        Lines tail;
    };
    const Case cases[] = {
        {"B(1)", "b-o-H", {}},
        {"P(1)", "", unknown("p-o-H")},      // P with one neighbour
        {"SI(1)", "", unknown("x-o-H [2]")},
    };
    for (const auto& c : cases) {
        Molecule m;
        int y = m.at(c.y, {0, 0, 0});
        int o = m.on(y, "O(1)", tri[0], 1.36f);
        int h = m.on(o, "H(1)", tri[0], 0.96f);
        m.neighbours();
        expect_groups(m, {{h, c.name, cand("x-o-H") + c.tail}, {y, "", {}}});
    }
    Molecule m;
    int o = m.at("O(1)", {0, 0, 0});
    int h = m.on(o, "H(1)", tri[0], 0.96f);
    m.on(o, "H(2)", tri[1], 0.97f);
    m.neighbours();
    m.r.frames.group_found[o] = true;  // an earlier entry of the records does not show through
    m.r.frames.group_name[o] = pad("WATER", 40);
    expect_groups(m, {{h, "", cand("x-o-H") + unknown("x-o-H [1]")}, {o, "", {}}});
    EXPECT_EQ(find_functional_group(m.r.io, m.r, o).name, std::string(40, ' '));
}

// Ring carbons with N neighbours; the rings name their members only. C at the origin, its
// three neighbours along 90, 210 and 330 degrees (1.33, 1.34, 1.35 Å), H atoms on each N fanned
// out tetrahedrally (1.01 Å).
TEST(FindFunctionalGroup, RingCarbonWithThreeNitrogens) {
    struct Case {
        int h[3];  // H atoms on the three N
        std::string name;
    };
    const Case cases[] = {
        {{1, 2, 2}, "3N-sp2(233)"},  // counts 2, 3, 3
        {{1, 1, 2}, "3N-sp2(232)"},  // 2, 2, 3: sum 7
        {{2, 2, 2}, "3N-sp2(333)"},
        {{1, 1, 3}, ""},             // 2, 2, 4: silent
    };
    for (const auto& c : cases) {
        Molecule m;
        int cc = m.at("C(1)", {0, 0, 0});
        int n[3];
        for (int k = 0; k < 3; ++k) {
            n[k] = m.on(cc, "N(" + std::to_string(k + 1) + ")", tri[k], 1.33f + 0.01f * k);
            for (int j = 0; j < c.h[k]; ++j)
                m.on(n[k], "H(" + std::to_string(k + 1) + std::to_string(j + 1) + ")",
                     fan(tri[k], j), 1.01f);
        }
        m.neighbours();
        m.ring({cc, n[0], n[1]});
        expect_groups(m, {{cc, c.name, cand("n-Cn-n")}});
    }
}

// An imidazole C(2): H along 90 degrees (1.08), N(1) along 210 (1.33; its H along 150 and
// C(4) along 270 degrees), N(3) along 330 (1.37; C(5) along 270 degrees); ring 1 is C(2),
// N(1), C(4), C(5), N(3).
TEST(FindFunctionalGroup, RingCarbonBetweenTwoRingNitrogens) {
    Molecule m;
    int c = m.at("C(2)", {0, 0, 0});
    m.on(c, "H(2)", tri[0], 1.08f);
    int n1 = m.on(c, "N(1)", tri[1], 1.33f);
    m.on(n1, "H(1)", {-0.8660254f, 0.5f, 0}, 1.01f);
    int c4 = m.on(n1, "C(4)", {0, -1, 0}, 1.38f);
    int n3 = m.on(c, "N(3)", tri[2], 1.37f);
    int c5 = m.on(n3, "C(5)", {0, -1, 0}, 1.38f);
    m.neighbours();
    m.ring({c, n1, c4, c5, n3});
    // free-format lines: a blank, the text, then each integer as a blank and I11
    auto free = [](const std::string& text, int a, int b) {
        return " " + text + fi(a, 12) + fi(b, 12);
    };
    expect_groups(m, {{c, "mixed nitrogens",
                       cand("n-C(cyc)-n") +
                           Lines{free(" iatr, iCr = ", 0, 1),  // H(2), in no ring
                                 free(" iatr, iCr = ", 1, 1), free(" iatr, iCr = ", 1, 1),
                                 free(" i1N, i2N = ", n1, n3), free(" i1Nn, i2Nn = ", 3, 2)}}});
}

// A ring carbon with {C, N, O}: the two nearest neighbours decide.
TEST(FindFunctionalGroup, RingCarbonWithCNO) {
    struct Case {
        float c, n, o;  // bond lengths (Å) along 90, 210 and 330 degrees
        std::string name;
        Lines tail;
    };
    const Case cases[] = {
        {1.38f, 1.33f, 1.40f, "", Lines{" :("} + unknown("C(cyc)-n=")},  // nearest N and C
        {1.45f, 1.33f, 1.34f, "amido", {}},                               // O terminal, outside
    };
    for (const auto& k : cases) {
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int c2 = m.on(c, "C(2)", tri[0], k.c);
        int n = m.on(c, "N(1)", tri[1], k.n);
        m.on(c, "O(1)", tri[2], k.o);
        m.neighbours();
        m.ring({c, c2, n});
        expect_groups(m, {{c, k.name, cand("Ccno(?)") + k.tail}});
    }
}

// The "other" O of a C with two O that is not there: a neighbour table that lists the atom
// itself twice (made by hand; the neighbour search never gives one) stops the run.
TEST(FindFunctionalGroup, MissingOtherOxygenStopsTheRun) {
    Molecule m;
    int c = m.at("C(1)", {0, 0, 0});
    int me = m.on(c, "C(2)", tri[0], 1.50f);
    m.methyl_h(me, tri[0], "H(");
    m.on(c, "O(1)", tri[1], 1.21f);
    int o2 = m.on(c, "O(2)", tri[2], 1.31f);
    m.on(o2, "H(4)", tri[2], 0.97f);
    m.neighbours();
    auto& t = m.r.topology.neighbours[c];
    for (int k = 1; k <= t.type_count; ++k)
        if (t.type_atomic_number[k] == 8) t.type_atom[k][1] = t.type_atom[k][2] = o2;
    EXPECT_THROW(find_functional_group(m.r.io, m.r, o2), RunStop);
    m.r.io.flush_all();
    const std::string tail = "\n ERROR *** DetExcept *** Could not identify \"other\" O-atom\n\n";
    ASSERT_GE(m.out.str().size(), tail.size());
    EXPECT_EQ(m.out.str().substr(m.out.str().size() - tail.size()), tail);
}

// The picture keeps every atom within three bonds, also beyond 100: a tree made by hand of
// atom 1 with 5 neighbours, each with 4 more, each of those with 4 more (1 + 5 + 20 + 80).
TEST(WriteGroupPicture, DrawsEveryAtomWithinThreeBonds) {
    Molecule m;
    int n = 106;
    for (int i = 1; i <= n; ++i)
        m.at("C(" + std::to_string(i) + ")", {static_cast<float>(i), 0, 0});
    m.r.structure.atom_count = m.r.topology.list_size = n;
    auto link = [&](int a, int b) {
        for (auto [x, y] : {std::pair{a, b}, std::pair{b, a}}) {
            auto& t = m.r.topology.neighbours[x];
            if (t.atom.empty()) t.atom.push_back(0);
            t.atom.push_back(y);
            ++t.count;
        }
    };
    int next = 2;
    std::vector<int> shell{1};
    for (int depth = 0; depth < 3; ++depth) {
        std::vector<int> outer;
        for (int a : shell)
            for (int k = 0; k < (depth == 0 ? 5 : 4); ++k) {
                link(a, next);
                outer.push_back(next++);
            }
        shell = outer;
    }
    ASSERT_EQ(next, n + 1);
    m.r.frames.group_picture = group_picture(m.r, 1);
    test::write_whole(m.r.io, Files::group_ang, "group.ang", [&] { write_group_ang(m.r.io, m.r); });
    auto lines = test::lines_of(m.dir.read("group.ang"));
    EXPECT_EQ(lines.size(), 107u);
    std::set<std::string> distinct(lines.begin() + 1, lines.end());
    EXPECT_EQ(distinct.size(), 106u);
}

}  // namespace
}  // namespace kova
