// Kappa sets and the per-atom records of a framed atom: the atom-table line, the MoPro axes
// and similarity lines, the frame whose "SYMPLM" constraint con_mopro.inp gets, the
// populations and the row of the XD atom table, as the writers derive them from the final
// frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "databank/databank_file.hpp"
#include "frame_fixture.hpp"
#include "frames/atom_table.hpp"
#include "frames/frame_driver.hpp"
#include "output/mopro_files.hpp"
#include "output/xd_parameter_file.hpp"
#include "topology/neighbours.hpp"

namespace kova {
namespace {

using test::At;

// The framed structure with its kappa sets and records read back.
struct Framed : test::FramedAtoms {
    using FramedAtoms::FramedAtoms;
    int kset(int i) const { return r.frames.kappa_set[static_cast<std::size_t>(i)]; }
    // The atom-table lines as the master file gets them.
    std::vector<std::string> atom_lines() const {
        std::vector<std::string> l;
        for (int i = 1; i <= r.structure.atom_count; ++i)
            l.push_back(atom_table_line(r.structure, r.frames, i));
        return l;
    }
    // The SYMPLM lines as con_mopro.inp gets them.
    std::vector<std::string> symplm_lines() {
        r.io.create(Files::mopro_constraints, "con_mopro.inp");
        write_mopro_symmetry_lines(r.io, r);
        return file(Files::mopro_constraints, "con_mopro.inp");
    }
};

const std::vector<At> kWater = {
    {"O(1)", 8, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {0.7513f, 0.5815f, 0.0f}},
    {"H(2)", 1, {-0.7592f, 0.5876f, 0.0f}}};

// Toluene: ring radii 1.390 + 0.001 k (C) and 2.470 + 0.001 k (H), the methyl carbon 1.51 A
// out from C(1), methyl C-H 1.08, 1.09, 1.10. No ring search: every atom is acyclic.
const std::vector<At> kToluene = {
    {"C(1)", 6, {1.39f, 0.0f, 0.0f}},       {"C(2)", 6, {0.6955f, 1.2046f, 0.0f}},
    {"C(3)", 6, {-0.696f, 1.2055f, 0.0f}},  {"C(4)", 6, {-1.393f, 0.0f, 0.0f}},
    {"C(5)", 6, {-0.697f, -1.2072f, 0.0f}}, {"C(6)", 6, {0.6975f, -1.2081f, 0.0f}},
    {"C(7)", 6, {2.9f, 0.0f, 0.0f}},        {"H(1)", 1, {1.2355f, 2.1399f, 0.0f}},
    {"H(2)", 1, {-1.236f, 2.1408f, 0.0f}},  {"H(3)", 1, {-2.473f, 0.0f, 0.0f}},
    {"H(4)", 1, {-1.237f, -2.1425f, 0.0f}}, {"H(5)", 1, {1.2375f, -2.1434f, 0.0f}},
    {"H(6)", 1, {3.26f, 0.0f, 1.0182f}},    {"H(7)", 1, {3.2633f, -0.89f, -0.5138f}},
    {"H(8)", 1, {3.2667f, 0.8981f, -0.5185f}}};

TEST(KappaSets, EquivalentAtomsShareTheFirstSet) {
    Framed f(kToluene);
    f.frame();
    // C(1) {3 C} set 1; C(2) and C(6) (pair count 0, "m") set 2; C(3), C(4), C(5) (one pair,
    // "mm2") set 3; methyl C set 4; the aromatic H (parent with 3 neighbours) set 5; the
    // methyl H (parent with 4 neighbours) set 6.
    const int want[16] = {0, 1, 2, 3, 3, 3, 2, 4, 5, 5, 5, 5, 5, 6, 6, 6};
    for (int i = 1; i <= 15; ++i) EXPECT_EQ(f.kset(i), want[i]) << i;
    EXPECT_EQ(f.r.frames.kappa_set_count, 6);
    EXPECT_EQ(f.r.frames.equivalent_atom[14], 13);  // H(7) took the set of H(6)
    EXPECT_EQ(f.r.frames.equivalent_atom[13], 0);
    EXPECT_TRUE(f.r.frames.mopro_similarity[13].find_first_not_of(' ') == std::string::npos);
}

TEST(KappaSets, ChemconOffOpensASetPerAtom) {
    Framed f(kWater);
    f.r.options.chem_constraints_h = f.r.options.chem_constraints_other = false;
    f.frame();
    EXPECT_EQ(f.kset(1), 1);
    EXPECT_EQ(f.kset(2), 2);
    EXPECT_EQ(f.kset(3), 3);
    auto l = f.file("kova.out");
    int tries = 0;
    for (std::size_t k = 0; k + 2 < l.size(); ++k) {
        if (l[k] != " Trying to determine the KAPPA SET : ") continue;
        ++tries;
        EXPECT_EQ(l[k + 1], "");
        EXPECT_EQ(l[k + 2].rfind(" New kappa set = ", 0), 0u);
    }
    EXPECT_EQ(tries, 2);  // not for atom 1
}

TEST(KappaSets, TheLookupTablesGiveTheScanAnswers) {
    // A mixed structure framed twice: at VERBOSE 3 every earlier atom is compared in turn
    // (the comparisons are listed), below that the lookup tables answer.
    auto build = [](Framed& f) {
        f.add(kWater, {30.0f, 0.0f, 0.0f});
        f.add(kToluene, {0.0f, 30.0f, 0.0f});
        const int ring = f.r.structure.atom_count;
        f.add(kToluene, {0.0f, 0.0f, 30.0f});  // this copy's ring is known
        f.ring({ring + 1, ring + 2, ring + 3, ring + 4, ring + 5, ring + 6}, true);
        f.add(kWater, {30.0f, 30.0f, 30.0f});
    };
    Framed quick(kToluene);
    build(quick);
    quick.frame();
    Framed full(kToluene);
    build(full);
    full.r.options.verbosity = 3;
    full.frame();
    ASSERT_EQ(quick.r.structure.atom_count, full.r.structure.atom_count);
    for (int i = 1; i <= quick.r.structure.atom_count; ++i) {
        EXPECT_EQ(quick.kset(i), full.kset(i)) << i;
        EXPECT_EQ(quick.r.frames.equivalent_atom[static_cast<std::size_t>(i)],
                  full.r.frames.equivalent_atom[static_cast<std::size_t>(i)])
            << i;
    }
    // The ring copy's atoms do not share with the acyclic copies' carbon atoms.
    EXPECT_NE(quick.kset(34), quick.kset(19));
    EXPECT_EQ(quick.kset(41), quick.kset(26));  // ...but their hydrogen atoms do
}

TEST(KappaSets, RecordsOfTheWaterFrame) {
    Framed f(kWater);
    f.r.structure.occupancy[1] = 0.5f;
    f.frame();
    // Atom-table columns: 1-8 atom, 10-17 AT1, 20 AX1, 23-30 atom, 32-39 AT2, 41 AX2,
    // 45-46 "R ", 47-49 TP, 50-52 TBL, 53-56 KAP, 57-60 LMX, 64-68 site symmetry, 72-79 the
    // equivalent atom.
    auto mas = f.atom_lines();
    ASSERT_EQ(mas.size(), 3u);
    EXPECT_EQ(mas[0], "O(1)     DUM1      Z  O(1)     H(1)     Y   R   2  1   1   4   mm2");
    EXPECT_EQ(mas[1], "H(1)     O(1)      Z  H(1)     H(2)     Y   R   2  1   2   2   cyl");
    EXPECT_EQ(mas[2],
              "H(2)     O(1)      Z  H(2)     H(1)     Y   R   2  1   2   2   cyl     H(1)");
    // terminal: the same lines with a leading blank, after whatever else the terminal got
    EXPECT_NE(f.out.str().find("\n " + mas[2] + "\n"), std::string::npos);

    // MoPro axes: AX1 AX2, names in 10 (dummy "UM" out, brackets out), QUA for a label "H(...)".
    EXPECT_EQ(mopro_axes_line(f.r, 1),
              pad("ZY   D1           H1            HEX     K1       V0  M0  Q0", 90));
    EXPECT_EQ(mopro_axes_line(f.r, 3),
              pad("ZY   O1           H1            QUA     K2       V0  M0  Q0", 90));
    EXPECT_EQ(f.r.frames.mopro_similarity[3], pad("! CONPVM  H2          1 H1         1", 90));

    EXPECT_EQ(f.symplm_lines(),
              (std::vector<std::string>{"SYMPLM  mxmz O1         1", "SYMPLM  cy   H1         1",
                                        "SYMPLM  cy   H2         1"}));

    // AX1 Z, AX2 Y, ATOM0, ATOM1, ATOM2, TP, TBL, KAP, LMX, SITESYM, CHEMCON
    const XdAtomRow o{3, 2, 4, 1, 2, 2, 1, 1, 4, 1, 0};   // AT1 = DUM1: nat + 1
    const XdAtomRow h2{3, 2, 1, 3, 2, 2, 1, 2, 4, 1, 2};
    EXPECT_EQ(xd_atom_row(f.r, 1), o);
    EXPECT_EQ(xd_atom_row(f.r, 3), h2);

    // Free-atom populations, scaled by the occupancy; the sets get 1.0 and their table.
    EXPECT_FLOAT_EQ(f.r.frames.valence_population[1], 3.0f);
    EXPECT_FLOAT_EQ(f.r.frames.valence_population[2], 1.0f);
    EXPECT_EQ(f.r.frames.valence_population_sigma[1], 0.0f);
    EXPECT_EQ(f.r.frames.kappa_count, 2);
    EXPECT_EQ(f.r.frames.kappa_table[2], 1);
    EXPECT_EQ(f.r.frames.kappa[2][1], 1.0f);
    EXPECT_EQ(f.r.frames.kappa[2][2], 1.0f);
}

// Ethane with the test databank: C(1) on a special position (occupancy 0.5), H(4) disordered.
TEST(KappaSets, PopulationsFromTheDatabank) {
    Framed f({{"C(1)", 6, {0.0f, 0.0f, 0.0f}},        {"C(2)", 6, {1.54f, 0.0f, 0.0f}},
              {"H(1)", 1, {-0.36f, 1.0182f, 0.0f}},   {"H(2)", 1, {-0.3633f, -0.5138f, 0.89f}},
              {"H(3)", 1, {-0.3667f, -0.5185f, -0.8981f}}, {"H(4)", 1, {1.9f, 0.5091f, 0.8818f}},
              {"H(5)", 1, {1.9033f, -1.0277f, 0.0f}}, {"H(6)", 1, {1.9067f, 0.5185f, -0.8981f}}});
    test::RunRecords& r = f.r;
    r.options.databank = true;
    r.options.databank_file = std::string(KOVA_TEST_DATA) + "/databank/kova_test.db";
    Databank databank = open_databank(r.io, r);
    f.databank = &databank;
    r.structure.occupancy[1] = 0.5f;
    r.structure.occupancy_flag[1] = 1;
    r.structure.occupancy[6] = 0.5f;
    r.structure.occupancy_flag[6] = -1;
    f.frame();
    // C(1): entry C003 (methyl, "3m", not planar): Pv 4.133, kappas 0.993 and 0.940, sigma
    // 0.052; Pv and P(l,m) halved, sigma not.
    EXPECT_FLOAT_EQ(r.frames.valence_population[1], 4.133f * 0.5f);
    EXPECT_FLOAT_EQ(r.frames.valence_population_sigma[1], 0.052f);
    EXPECT_FLOAT_EQ(r.frames.plm[1][2][0 + 4], 0.015f * 0.5f);
    EXPECT_FLOAT_EQ(r.frames.plm[1][4][3 + 4], 0.010f * 0.5f);
    EXPECT_FLOAT_EQ(r.frames.kappa[1][1], 0.993f);
    EXPECT_FLOAT_EQ(r.frames.kappa[1][2], 0.940f);
    // C(2) is ordered next to the disordered H(4): set 1 is no free-atom set, so a new set
    // with free-atom values, and no databank.
    EXPECT_EQ(f.kset(2), 2);
    EXPECT_FLOAT_EQ(r.frames.valence_population[2], 4.0f);
    EXPECT_EQ(r.frames.kappa[2][1], 1.0f);
    // The H atoms share set 3. H(4) (disordered, no DISORD db) gives it 1.0, 1.0; the later
    // H(5) and H(6) give it the values of entry H002 again: the last atom of a set decides.
    for (int i = 3; i <= 8; ++i) EXPECT_EQ(f.kset(i), 3) << i;
    EXPECT_FLOAT_EQ(r.frames.valence_population[6], 0.5f);
    EXPECT_FLOAT_EQ(r.frames.valence_population[7], 0.94f);
    EXPECT_FLOAT_EQ(r.frames.plm[7][1][0 + 4], 0.15f);
    EXPECT_FLOAT_EQ(r.frames.kappa[3][1], 1.16f);
    EXPECT_FLOAT_EQ(r.frames.kappa[3][2], 1.25f);
    EXPECT_EQ(r.frames.kappa_count, 3);
    EXPECT_EQ(r.databank.searched, 6);  // C(1), H(1), H(2), H(3), H(5), H(6)
    auto l = f.file("kova.out");
    EXPECT_NE(std::find(l.begin(), l.end(), " Atom C(1) :: will now read databank"), l.end());
    EXPECT_NE(std::find(l.begin(), l.end(), " Atom C(2) :: will skip reading databank"), l.end());
}

TEST(KappaSets, SymplmCodes) {
    {
        // With RESI names: the code in 6 columns (A6) and the residue atom name.
        Framed f(kWater);
        f.r.structure.has_residues = true;
        f.r.structure.residue_atom[1] = pad("O1    1", 10);
        f.r.structure.residue_atom[2] = pad("H1    1", 10);
        f.r.structure.residue_atom[3] = pad("H2    1", 10);
        f.frame();
        auto l = f.symplm_lines();
        ASSERT_EQ(l.size(), 3u);
        EXPECT_EQ(l[0], "SYMPLM    mxmz O1    1   ");
        EXPECT_EQ(l[1], "SYMPLM    cy   H1    1   ");
        EXPECT_EQ(f.r.frames.mopro_similarity[3], pad("! CONPVM  H2    1     H1    1", 90));
    }
    {
        // Carbonyl O "m" with X, Y: "mz"; the CH2 carbon "mm2": "mxmz".
        Framed f({{"C(1)", 6, {0.0f, 0.0f, 0.0f}}, {"O(1)", 8, {0.0f, 0.0f, 1.21f}},
                  {"H(1)", 1, {0.9349f, 0.0f, -0.5797f}}, {"H(2)", 1, {-0.9434f, 0.0f, -0.5849f}}});
        f.frame();
        auto l = f.symplm_lines();
        ASSERT_GE(l.size(), 2u);
        EXPECT_EQ(l[0], "SYMPLM  mxmz C1         1");
        EXPECT_EQ(l[1], "SYMPLM  mz   O1         1");
    }
    {
        // "-42m": a blank code.
        Framed f({{"N(1)", 7, {0.0f, 0.0f, 0.0f}},
                  {"H(1)", 1, {0.5831f, 0.5831f, 0.5831f}},
                  {"H(2)", 1, {0.5889f, -0.5889f, -0.5889f}},
                  {"H(3)", 1, {-0.5947f, 0.5947f, -0.5947f}},
                  {"H(4)", 1, {-0.6004f, -0.6004f, 0.6004f}}});
        f.frame();
        EXPECT_EQ(f.symplm_lines().at(0), "SYMPLM       N1         1");
    }
    {
        // "NO" writes no line: S of SF6 has none, its F atoms ("cyl") have theirs.
        Framed f({{"S(1)", 16, {0.0f, 0.0f, 0.0f}}, {"F(1)", 9, {1.56f, 0.0f, 0.0f}},
                  {"F(2)", 9, {-1.57f, 0.0f, 0.0f}}, {"F(3)", 9, {0.0f, 1.58f, 0.0f}},
                  {"F(4)", 9, {0.0f, -1.59f, 0.0f}}, {"F(5)", 9, {0.0f, 0.0f, 1.6f}},
                  {"F(6)", 9, {0.0f, 0.0f, -1.61f}}});
        f.frame();
        auto l = f.symplm_lines();
        ASSERT_EQ(l.size(), 6u);
        EXPECT_EQ(l[0], "SYMPLM  cy   F1         1");
    }
}

TEST(KappaSets, SymmetryImageTargetBecomesADummy) {
    // Crystal input, cell 10 x 10 x 10 A: CL(1) read, its partner an image at 1.99 A.
    test::FrameRecords f(1, true);
    test::RunRecords& r = f.r;
    r.structure.frac_to_cart = Mat3f{{{10, 0, 0}, {0, 10, 0}, {0, 0, 10}}};
    r.structure.cart_to_frac = Mat3f{{{0.1f, 0, 0}, {0, 0.1f, 0}, {0, 0, 0.1f}}};
    f.atom(1, "CL(1)", 17, {1.0f, 1.0f, 1.0f});
    f.atom(2, "CL(1)", 17, {2.99f, 1.0f, 1.0f});
    r.structure.frac[1] = {0.1f, 0.1f, 0.1f};
    r.structure.frac[2] = {0.299f, 0.1f, 0.1f};
    r.topology.list_size = 2;
    r.topology.source_atom[2] = 1;
    r.structure.scattering_table[1] = 1;
    find_all_neighbours(r.io, r);
    r.frames.dummy_count = 0;
    FrameAnalysis analysis(r, nullptr);
    frame_atom(r.io, r, 1, analysis);
    // X to the image, Y to the origin dummy (DUM1); the image then becomes DUM2.
    EXPECT_EQ(r.frames.dummy_count, 2);
    EXPECT_EQ(r.frames.dummy_xyz[2], AnyPosition(Fractional{0.299f, 0.1f, 0.1f}));
    EXPECT_EQ(r.frames.final_frame[1].target1, 1 + 2);
    EXPECT_EQ(r.frames.final_frame[1].target2, 1 + 1);
    EXPECT_EQ(atom_table_line(r.structure, r.frames, 1).substr(9, 8), "DUM2    ");
    EXPECT_EQ(mopro_axes_line(r, 1).substr(0, 15), "XY   D2        ");
    auto l = f.file("kova.out");
    bool said = false;
    for (const auto& line : l)
        said = said || line == " Atom CL(1) used in definition of X-axis is symmetry-generated; "
                               "replace with dummy    2";
    EXPECT_TRUE(said);
}

}  // namespace
}  // namespace kova
