// X-H bonds moved to the standard distance of their environment, and the restraint records.
// Molecules with ideal geometry (molecule.hpp); the parent data of each H atom is given as
// the one-neighbour hydrogen rule finds it, and the records of the bonds are written by the
// writers of their files.
#include <gtest/gtest.h>

#include <algorithm>

#include "frames/extend_h.hpp"
#include "graph.hpp"
#include "molecule.hpp"
#include "output/mopro_files.hpp"
#include "output/xh_bond_files.hpp"
#include "shared/errors.hpp"
#include "topology/neighbours.hpp"

namespace kova {
namespace {

using test::fan;
using test::Molecule;
using test::tet;
using test::tri;
using Lines = std::vector<std::string>;

// The records of the bonds extended so far, as the road writes them after the frame analysis:
// reset.bond, const.bond, and the DISTAN and URATIO lines of res_mopro.inp.
struct RestraintFiles {
    Lines reset, constraints, distances, uratios;
};
RestraintFiles restraint_files(Molecule& m) {
    test::RunRecords& r = m.r;
    r.io.create(Files::reset_bonds, "reset.bond");
    r.io.create(Files::const_bonds, "const.bond");
    r.io.create(Files::mopro_residues, "res_mopro.inp");
    write_xh_bond_files(r.io, r);
    write_mopro_distance_lines(r.io, r);
    write_mopro_uratio_block(r.io, r);
    RestraintFiles f{
        m.file(Files::reset_bonds, "reset.bond"), m.file(Files::const_bonds, "const.bond"), {}, {}};
    // the DISTAN lines, then the URATIO block after its heading "!", text, "!"
    const Lines res = m.file(Files::mopro_residues, "res_mopro.inp");
    const auto text = std::find(res.begin(), res.end(), "! isotropic H atoms ADPs");
    EXPECT_TRUE(text != res.begin() && text != res.end());
    if (text == res.begin() || text == res.end()) return f;
    f.distances.assign(res.begin(), text - 1);
    f.uratios.assign(text + 2, res.end());
    return f;
}

float dist(const Records& r, int a, int b) {
    const auto &x = r.structure.cart[a], &y = r.structure.cart[b];
    return std::sqrt((y[0] - x[0]) * (y[0] - x[0]) + (y[1] - x[1]) * (y[1] - x[1]) +
                     (y[2] - x[2]) * (y[2] - x[2]));
}

struct Moved {
    Lines listing;
    float before, after;
};

// extend_xh_bond on H atom h as the frame rules call it: parent P = its neighbour, with its
// neighbour count, atomic number and hydrogen atoms.
Moved extend(Molecule& m, int h) {
    test::RunRecords& r = m.r;
    int p = r.topology.neighbours[h].atom[1];
    const HydrogenParent parent{r.topology.neighbours[p].count, r.structure.atomic_number[p],
                                r.topology.neighbours[p].type_size[1]};
    Moved mv;
    mv.before = dist(r, p, h);
    int from = m.mark();
    NeighbourIndex index(r);
    extend_xh_bond(r.io, r, index, p, h, parent);
    mv.after = dist(r, p, h);
    mv.listing = m.listing(from);
    return mv;
}

// The listing line of an identified group: "   X-H group : X-H >  group =" d0 (F7.3) " /" d
// (F7.3) " Angstroms".
std::string xh_line(const std::string& x, const std::string& h, const std::string& what) {
    return "   X-H group : " + x + "-" + h + " >  " + what;
}

struct Want {
    int h;
    const char* group;  // nullptr: not identified
    float d;
};

void expect_moves(Molecule& m, const std::vector<Want>& wants) {
    for (const auto& w : wants) {
        test::RunRecords& r = m.r;
        int p = r.topology.neighbours[w.h].atom[1];
        std::string x = trim(r.structure.label[p]), h = trim(r.structure.label[w.h]);
        Moved mv = extend(m, w.h);
        ASSERT_EQ(mv.listing.size(), 3u) << h;
        EXPECT_EQ(mv.listing[0], "");
        EXPECT_EQ(mv.listing[1], " Trying to extend hydrogen " + h + " to standard distance :");
        if (w.group) {
            EXPECT_EQ(mv.listing[2], xh_line(x, h, w.group) + " =" + ff(mv.before, 7, 3) + " /" +
                                         ff(w.d, 7, 3) + " Angstroms");
            EXPECT_NEAR(mv.after, w.d, 2e-6f) << h;
        } else {
            EXPECT_EQ(mv.listing[2], xh_line(x, h, "NOT IDENTIFIED"));
            EXPECT_EQ(mv.after, mv.before) << h;
        }
    }
}

// C(1) tetrahedral at the origin; C(2) along the first cube diagonal (1.54 Å), the other
// three bonds of C(1) and the three H atoms of C(2) as given.
TEST(ExtendH, CarbonParents) {
    {   // ethane, C-H 1.09 Å
        Molecule m;
        int c1 = m.at("C(1)", {0, 0, 0});
        int h = m.on(c1, "H(11)", tet[1], 1.09f);
        m.on(c1, "H(12)", tet[2], 1.09f);
        m.on(c1, "H(13)", tet[3], 1.09f);
        int c2 = m.on(c1, "C(2)", tet[0], 1.54f);
        m.methyl_h(c2, tet[0], "H(2");
        m.neighbours();
        expect_moves(m, {{h, "C-C-H3", 1.077f}});
        // moved along the bond: still on the tet[1] direction from C(1)
        float s = 1.077f / std::sqrt(3.0f);
        EXPECT_NEAR(m.r.structure.cart[h][0], s, 1e-6f);
        EXPECT_NEAR(m.r.structure.cart[h][1], -s, 1e-6f);
        EXPECT_NEAR(m.r.structure.cart[h][2], -s, 1e-6f);
        const RestraintFiles files = restraint_files(m);
        // name fields: C(1) -> " C1  " (4 characters of "C1", right-adjusted in 5),
        // H(11) -> "H11  "; ratio 1.2 for a C parent
        EXPECT_EQ(files.distances, (Lines{"DISTAN    C1   1  H11   1  1.077 0.001"}));
        EXPECT_EQ(files.uratios, (Lines{pad("URATIO       C1   1  H11   1    1.2 0.01", 100)}));
        EXPECT_EQ(files.reset, (Lines{"RESET BOND  C(1) H(11) 1.077"}));
        EXPECT_EQ(files.constraints,
                  (Lines{"!", "! C(1) - H(11) =     1.077 Angstroms", "!", "CON 1 X/1 -1 X/2 = 0",
                         "CON 1 Y/1 -1 Y/2 = 0", "CON 1 Z/1 -1 Z/2 = 0"}));
    }
    {   // methylamine, pyramidal N: H(N) 1.01 Å fanned around the C-N bond
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int hc = m.on(c, "H(1)", tet[1], 1.09f);
        m.on(c, "H(2)", tet[2], 1.09f);
        m.on(c, "H(3)", tet[3], 1.09f);
        int n = m.on(c, "N(1)", tet[0], 1.47f);
        int hn = m.on(n, "H(4)", fan(tet[0], 0), 1.01f);
        m.on(n, "H(5)", fan(tet[0], 1), 1.01f);
        m.neighbours();
        expect_moves(m, {{hc, "X-C-H3", 1.077f},
                         {hn, nullptr, 0}});  // NH2 on a C with 4 neighbours
        const RestraintFiles files = restraint_files(m);
        ASSERT_EQ(files.distances.size(), 2u);
        EXPECT_EQ(files.distances[1], "DISTAN    N1   1   H4   1  1.010 0.001");  // as it is
        ASSERT_EQ(files.uratios.size(), 2u);
        EXPECT_EQ(files.uratios[1], pad("URATIO       N1   1   H4   1    1.5 0.01", 100));
    }
    {   // ethanol: CH2 with C(2) (tet[0], 1.53), O (tet[1], 1.43) and H along tet[2], tet[3];
        // the O-H 0.96 on along the C-O line
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int c2 = m.on(c, "C(2)", tet[0], 1.53f);
        m.methyl_h(c2, tet[0], "H(2");
        int o = m.on(c, "O(1)", tet[1], 1.43f);
        int ho = m.on(o, "H(1)", tet[1], 0.96f);
        int h = m.on(c, "H(11)", tet[2], 1.09f);
        m.on(c, "H(12)", tet[3], 1.10f);
        m.neighbours();
        expect_moves(m, {{h, "X2-C-H2", 1.091f},
                         {c2 + 1, "C-C-H3", 1.077f},
                         {ho, "Csp3-O-H in alcohol", 0.970f}});
    }
    {   // ethylene: C=C 1.34 along 90 degrees, H 1.08 along 210/330 (C(1)) and 30/150 (C(2))
        Molecule m;
        int c1 = m.at("C(1)", {0, 0, 0});
        int h = m.on(c1, "H(1)", tri[1], 1.08f);
        m.on(c1, "H(2)", tri[2], 1.08f);
        int c2 = m.on(c1, "C(2)", tri[0], 1.34f);
        m.on(c2, "H(3)", {0.8660254f, 0.5f, 0}, 1.08f);
        m.on(c2, "H(4)", {-0.8660254f, 0.5f, 0}, 1.08f);
        m.neighbours();
        expect_moves(m, {{h, "C-C=C-H", 1.082f}});
    }
}

// Benzene: ring of radius 1.39 in the xy plane, H radial at 1.08 Å.
TEST(ExtendH, AromaticCHNeedsTheRing) {
    for (bool rings : {true, false}) {
        Molecule m;
        int c[6], h[6];
        for (int k = 0; k < 6; ++k) {
            float a = 1.0471976f * static_cast<float>(k);
            c[k] = m.at("C(" + std::to_string(k + 1) + ")",
                        {1.39f * std::cos(a), 1.39f * std::sin(a), 0});
        }
        for (int k = 0; k < 6; ++k) {
            m.bond(c[k], c[(k + 1) % 6]);
            float a = 1.0471976f * static_cast<float>(k);
            h[k] = m.on(c[k], "H(" + std::to_string(k + 1) + ")", {std::cos(a), std::sin(a), 0},
                        1.08f);
        }
        m.neighbours();
        if (rings) m.ring({c[0], c[1], c[2], c[3], c[4], c[5]});
        if (rings)
            expect_moves(m, {{h[0], "aromatic C-H", 1.083f}});
        else
            expect_moves(m, {{h[0], "C-C=C-H", 1.082f}});
    }
}

// Acetamide and acetic acid: C(1) at the origin, methyl along 90 degrees, O along 210, the N
// or O(H) along 330 degrees. The NH2 is planar (H along 270 and 30 degrees) or pyramidal (the
// same two directions tilted by z = 0.5 before normalising, both H atoms to +z).
TEST(ExtendH, NitrogenAndOxygenParents) {
    for (bool planar : {true, false}) {
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.51f);
        m.methyl_h(me, tri[0], "H(");
        m.on(c, "O(1)", tri[1], 1.23f);
        int n = m.on(c, "N(1)", tri[2], 1.33f);
        float z = planar ? 0.0f : 0.5f;
        int h = m.on(n, "H(4)", {0, -1, z}, 1.01f);
        m.on(n, "H(5)", {0.8660254f, 0.5f, z}, 1.01f);
        m.neighbours();
        expect_moves(m, {planar ? Want{h, "C-N-H2 amido", 1.010f} : Want{h, "X-N-H2", 1.015f}});
    }
    {
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        int me = m.on(c, "C(2)", tri[0], 1.50f);
        m.methyl_h(me, tri[0], "H(");
        m.on(c, "O(1)", tri[1], 1.21f);
        int o2 = m.on(c, "O(2)", tri[2], 1.31f);
        int h = m.on(o2, "H(4)", tri[2], 0.97f);
        m.neighbours();
        expect_moves(m, {{h, "O-H in acid", 1.018f}});
    }
    {   // methylammonium: N-H 1.03 fanned around the C-N bond
        Molecule m;
        int c = m.at("C(1)", {0, 0, 0});
        for (int k = 1; k <= 3; ++k) m.on(c, "H(" + std::to_string(k) + ")", tet[k], 1.09f);
        int n = m.on(c, "N(1)", tet[0], 1.49f);
        int h = m.on(n, "H(4)", fan(tet[0], 0), 1.03f);
        m.on(n, "H(5)", fan(tet[0], 1), 1.03f);
        m.on(n, "H(6)", fan(tet[0], 2), 1.03f);
        m.neighbours();
        expect_moves(m, {{h, "N+-H", 1.036f}});
    }
    {   // water: O-H 0.96, 120 degrees
        Molecule m;
        int o = m.at("O(1)", {0, 0, 0});
        int h = m.on(o, "H(1)", tri[0], 0.96f);
        m.on(o, "H(2)", tri[1], 0.96f);
        m.neighbours();
        expect_moves(m, {{h, "water", 0.9584f}});
    }
    {   // phosphoric acid: P-O 1.55 along the cube diagonals, O-H 0.97 on along the same lines
        Molecule m;
        int p = m.at("P(1)", {0, 0, 0});
        int h = 0;
        for (int k = 0; k < 4; ++k) {
            int o = m.on(p, "O(" + std::to_string(k + 1) + ")", tet[k], 1.55f);
            if (k > 0) h = m.on(o, "H(" + std::to_string(k + 1) + ")", tet[k], 0.97f);
        }
        m.neighbours();
        expect_moves(m, {{h, "O-H in Pacid", 1.015f}});
    }
}

TEST(ExtendH, BoronParentAndDisorderWriteNoRecords) {
    Molecule m;
    int b = m.at("B(1)", {0, 0, 0});
    int hb = m.on(b, "H(1)", tri[0], 1.19f);
    int c = m.on(b, "C(1)", tri[1], 1.57f);
    int hc = m.on(c, "H(2)", tri[1], 1.09f);
    m.neighbours();
    Moved mv = extend(m, hb);
    EXPECT_EQ(mv.listing, (Lines{"", " Trying to extend hydrogen H(1) to standard distance :",
                                 xh_line("B(1)", "H(1)", "DON'T KNOW HOW TO HANDLE")}));
    EXPECT_EQ(mv.after, mv.before);

    m.r.structure.occupancy_flag[hc] = -1;
    mv = extend(m, hc);
    EXPECT_EQ(mv.listing, (Lines{xh_line("C(1)", "H(2)", "H-ATOM IS DISORDERED")}));
    EXPECT_EQ(mv.after, mv.before);
    RestraintFiles files = restraint_files(m);
    EXPECT_EQ(files.reset, Lines{});
    EXPECT_EQ(files.constraints, Lines{});
    EXPECT_EQ(files.distances, Lines{});
    EXPECT_EQ(files.uratios, Lines{});

    m.r.options.disorder_extend_h = true;  // DISORD extendH: C with 2 neighbours, not identified
    mv = extend(m, hc);
    ASSERT_EQ(mv.listing.size(), 3u);
    EXPECT_EQ(mv.listing[2], xh_line("C(1)", "H(2)", "NOT IDENTIFIED"));
    files = restraint_files(m);
    EXPECT_EQ(files.reset, (Lines{"RESET BOND  C(1) H(2) 1.090"}));
    EXPECT_EQ(files.uratios.size(), 1u);
}

// The rows of the classification that the molecules above do not reach, on neighbour tables
// written by hand (graph.hpp: every group in the xy plane unless an atom is lifted); the
// parent data as the frame rules give it.
TEST(ExtendH, ClassificationRows) {
    struct Case {
        const char* bonds;
        const char* rings;
        const char* lift;   // an atom moved 2 Å out of the plane ("" none)
        const char* group;  // nullptr: not identified
        float d;
    };
    const Case cases[] = {
        {"C1-H1 C1-C2 C1-C3 C1-C4", "", "", "C3-C-H", 1.099f},
        {"C1-H1 C1-C2 C1-C3 C1-O1", "", "", "X3-C-H", 1.098f},
        {"C1-H1 C1-H2 C1-C2 C1-C3", "", "", "C2-C-H2", 1.092f},
        // C1 and C2 with three neighbours each, then C2 with two
        {"N1-H1 N1-C1 N1-C2 C1-C3 C1-C4 C2-C5 C2-C6", "", "", "C2-N-H", 1.030f},
        {"N1-H1 N1-C1 N1-C2 C1-C3 C1-C4 C2-C5", "", "", "X2-N-H", 1.027f},
        // NH2 on a ring carbon (planar, then with H2 lifted), on a plain carbon with 3
        {"N1-H1 N1-H2 N1-C1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "", "C(ar)-N-H2pl", 1.010f},
        {"N1-H1 N1-H2 N1-C1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "H2", "C(ar)-N-H2py", 1.024f},
        {"N1-H1 N1-H2 N1-C1 C1-C2 C1-C3", "", "", "C-N-H2pl", 1.012f},
        {"N1-H1 N1-H2 N1-O1", "", "", nullptr, 0},  // no carbon neighbour
        // O-H: Y is the second entry of the O atom's list
        {"O1-H1 O1-C1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "", "O-H in phenol", 0.992f},
        {"O1-H1 O1-C1 C1-C2 C1-C3", "", "", "C-O-H any", 0.980f},
        {"O1-H1 O1-C1 C1-O2 C1-C2 O2-C3", "", "", "O-H in ether", 0.980f},  // other O with 2
        {"O1-H1 O1-S1 S1-C1", "", "", "X-OH", 0.983f},
        {"O1-H1 O1-C1 C1-O2 C1-O3", "", "", nullptr, 0},  // Y carbon with three O
    };
    for (const auto& c : cases) {
        test::Graph g(c.bonds, c.rings);
        test::RunRecords& r = g.f.r;
        if (*c.lift) r.structure.cart[static_cast<std::size_t>(g[c.lift])][2] = 2.0f;
        int h = g["H1"], x = r.topology.neighbours[h].atom[1];
        const NeighbourTable& parent = r.topology.neighbours[x];
        const HydrogenParent parent_data{
            parent.count, r.structure.atomic_number[x],
            parent.type_atomic_number[1] == 1 ? parent.type_size[1] : 0};
        float before = dist(r, x, h);
        NeighbourIndex index(r);
        extend_xh_bond(r.io, r, index, x, h, parent_data);
        auto out = g.f.file("kova.out");
        std::string lx = trim(r.structure.label[x]);
        ASSERT_FALSE(out.empty()) << c.bonds;
        if (c.group) {
            EXPECT_EQ(out.back(), xh_line(lx, "H1", c.group) + " =" + ff(before, 7, 3) + " /" +
                                      ff(c.d, 7, 3) + " Angstroms")
                << c.bonds;
            EXPECT_NEAR(dist(r, x, h), c.d, 2e-6f) << c.bonds;
        } else {
            EXPECT_EQ(out.back(), xh_line(lx, "H1", "NOT IDENTIFIED")) << c.bonds;
            EXPECT_EQ(dist(r, x, h), before) << c.bonds;
        }
    }
}

// Crystal input: the moved H gets its fractional coordinates from the inverse cell matrix.
TEST(ExtendH, CrystalInputRecomputesFractionalCoordinates) {
    Molecule m;
    m.r.options.crystal_input = true;
    m.r.structure.frac_to_cart = {{{8, 0, 0}, {0, 9, 0}, {0, 0, 10}}};
    m.r.structure.cart_to_frac = {{{0.125f, 0, 0}, {0, 1.0f / 9.0f, 0}, {0, 0, 0.1f}}};
    int c1 = m.at("C(1)", {4, 4.5f, 5});
    int h = m.on(c1, "H(11)", tet[1], 1.09f);
    m.on(c1, "H(12)", tet[2], 1.09f);
    m.on(c1, "H(13)", tet[3], 1.09f);
    int c2 = m.on(c1, "C(2)", tet[0], 1.54f);
    m.methyl_h(c2, tet[0], "H(2");
    m.neighbours();
    expect_moves(m, {{h, "C-C-H3", 1.077f}});
    const auto& x = m.r.structure.cart[h];
    const auto& f = m.r.structure.frac[h];
    EXPECT_FLOAT_EQ(f[0], x[0] * 0.125f);
    EXPECT_FLOAT_EQ(f[1], x[1] / 9.0f);
    EXPECT_FLOAT_EQ(f[2], x[2] * 0.1f);
}

// Atom numbers of five digits and long labels: an S-H pair as atoms 12345 and 12346 after
// 12344 isolated atoms 5 Å apart; the parent data is given by hand.
TEST(ExtendH, LongIndicesAndLabels) {
    Molecule m;
    for (int i = 1; i <= 12344; ++i)
        m.at("XE(" + std::to_string(i) + ")",
             {5.0f * static_cast<float>(i % 100), 5.0f * static_cast<float>(i / 100), 50});
    int s = m.at("S(12345)", {0, 0, 0});
    int h = m.at("H1", {1.40f, 0, 0});
    m.r.structure.atom_count = m.r.topology.list_size = h;
    NeighbourIndex index(m.r);
    extend_xh_bond(m.r.io, m.r, index, s, h,
                   {.neighbours = 2, .atomic_number = 16, .hydrogens = 1});
    EXPECT_FLOAT_EQ(m.r.structure.cart[h][0], 1.338f);
    const RestraintFiles files = restraint_files(m);
    // "S(12345)" -> name "S12345", its first 8 characters cut to 5: "S1234"; "H1" -> "   H1"
    EXPECT_EQ(files.distances, (Lines{"DISTAN   S1234 1     H1 1  1.338 0.001"}));
    ASSERT_EQ(files.uratios.size(), 1u);
    EXPECT_EQ(trim(files.uratios[0]), "URATIO      S1234 1     H1 1    1.5 0.01");
    const Lines& con = files.constraints;
    ASSERT_EQ(con.size(), 6u);
    EXPECT_EQ(con[1], "! S(12345) - H1 =     1.338 Angstroms");
    EXPECT_EQ(con[3], "CON 1 X/12345 -1 X/12346 = 0");
    EXPECT_EQ(con[5], "CON 1 Z/12345 -1 Z/12346 = 0");
}

// The hydrogen atom moves through the index that the later searches of the frame analysis use:
// in a long list (where no search compares the index with the records) an S-H hydrogen 3.0 Å
// out, too far for a bond (limit 1.02 + 0.2 + 0.40 = 1.62 Å), is found bonded at 1.338 Å by
// the covalent search around S through that index once the bond is extended.
TEST(ExtendH, LaterSearchesFindTheHydrogenWhereItWent) {
    Molecule m;
    for (int i = 1; i <= 6000; ++i)
        m.at("XE(" + std::to_string(i) + ")",
             {5.0f * static_cast<float>(i % 100), 5.0f * static_cast<float>(i / 100), 50});
    const int s = m.at("S(1)", {0, 0, 0});
    const int h = m.at("H1", {3.0f, 0, 0});
    m.r.structure.atom_count = m.r.topology.list_size = h;
    NeighbourIndex index(m.r);
    EXPECT_EQ(find_neighbours(m.r.io, m.r, index, s, 0.0f, false).count, 0);
    extend_xh_bond(m.r.io, m.r, index, s, h,
                   {.neighbours = 1, .atomic_number = 16, .hydrogens = 1});
    const NeighbourList g = find_neighbours(m.r.io, m.r, index, s, 0.0f, false);
    ASSERT_EQ(g.count, 1);
    EXPECT_EQ(g.atom[1], h);
    EXPECT_FLOAT_EQ(m.r.structure.cart[h][0], 1.338f);
    EXPECT_FLOAT_EQ(g.distance[1], 1.338f);
}

TEST(ExtendH, ResidueNamesInMoProRecords) {
    Molecule m;
    int o = m.at("O(1)", {0, 0, 0});
    int h = m.on(o, "H(1)", tri[0], 0.96f);
    m.on(o, "H(2)", tri[1], 0.96f);
    m.neighbours();
    m.r.structure.has_residues = true;
    m.r.structure.residue_atom[o] = pad("OW1   12", 10);
    m.r.structure.residue_atom[h] = pad("HW1   12", 10);
    extend(m, h);
    const RestraintFiles files = restraint_files(m);
    // resatm(X) + 2 blanks + resatm(H) + 1 blank + d (F6.3) + 2 blanks + "0.001"
    EXPECT_EQ(files.distances, (Lines{"DISTAN   OW1   12    HW1   12    0.958  0.001"}));
    ASSERT_EQ(files.uratios.size(), 1u);
    EXPECT_EQ(trim(files.uratios[0]), "URATIO      OW1   12    HW1   12      1.5  0.01");
}

// Y of an O-H must carry the O among its neighbour types; a table made by hand without it
// (the neighbour search never gives one) stops the run.
TEST(ExtendH, HydroxylWithoutOxygenOnYStopsTheRun) {
    Molecule m;
    int c = m.at("C(1)", {0, 0, 0});
    int o = m.on(c, "O(1)", tet[0], 1.43f);
    int h = m.on(o, "H(1)", tet[0], 0.96f);
    for (int k = 1; k <= 3; ++k) m.on(c, "H(" + std::to_string(k + 1) + ")", tet[k], 1.09f);
    m.neighbours();
    auto& t = m.r.topology.neighbours[c];
    for (int k = 1; k <= t.type_count; ++k)
        if (t.type_atomic_number[k] == 8) t.type_atomic_number[k] = 9;
    EXPECT_THROW(extend(m, h), RunStop);
    m.r.io.flush_all();
    EXPECT_NE(m.out.str().find(" ERROR *** ExtendH *** Error 1 in Y-O-H"), std::string::npos);
}

}  // namespace
}  // namespace kova
