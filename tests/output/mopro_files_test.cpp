// The MoPro files: label forms, atom records, blocks and the slot copies.
#include "output/mopro_files.hpp"

#include <gtest/gtest.h>

#include "shared/text.hpp"
#include "writer_fixture.hpp"

namespace kova {
namespace {

TEST(MoproFiles, LabelForms) {
    struct Case {
        const char* label;
        const char* element;
        const char* name;
    } cases[] = {
        {"C(12)", "C         ", "C12       "},
        {"H(5A)", "H         ", "H5A       "},
        {"H1", "H1        ", "H1        "},
        {"CL(1)", "CL        ", "CL1       "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mopro_element(c.label), c.element) << c.label;
        EXPECT_EQ(mopro_name(c.label), c.name) << c.label;
    }
}

TEST(MoproFiles, AtomRecords) {
    test::Writer w;
    test::RunRecords& r = w.r;
    w.atom(7, "C(12)", {0.1f, 0.2f, 0.3f});
    r.structure.uij[7] = {0.0123f, 0.0111f, 0.0222f, 0.001f, -0.002f, 0.003f};
    r.frames.valence_population[7] = 4.0f;
    w.plm(7, 1, 1, 0.1f);
    w.plm(7, 2, -2, -0.123f);
    w.plm(7, 3, -3, 0.05f);   // negated: -.050, no room for the zero
    w.plm(7, 4, -3, -0.02f);  // negated: 0.020
    w.plm(7, 4, 4, 10.0f);    // too wide for F5.3
    // hydrogen from a SHELX file: populations per full atom (stored values / 0.5)
    w.atom(8, "H(1)", {0.2f, 0.3f, 0.4f}, 0.5f);
    r.structure.uij[8] = {0.05f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    r.frames.valence_population[8] = 0.5f;
    w.plm(8, 1, 0, 0.06f);
    // "H1" from a Cartesian file: its element part is "H1", so it is written as a heavy atom
    w.atom(1000, "H1", {0.0f, 0.0f, 0.0f});
    r.frames.valence_population[1000] = 1.0f;
    // The frames: targets are atoms 1..1000 or 1000 + k for dummy k; 0 names no target.
    r.ensure_dummies(12);
    r.frames.dummy_count = 12;
    for (int k = 1; k <= 12; ++k) r.frames.dummy_label[k] = pad(test::numbered("DUM", k), 6);
    r.frames.final_frame[7] = FinalFrame{'X', 'Y', 8, 1000 + 12};
    r.frames.kappa_set[7] = 3;
    r.frames.final_frame[8] = FinalFrame{'Z', 'Y', 7, 1000};
    r.frames.kappa_set[8] = 12345;  // fills its 5 columns
    r.frames.final_frame[1000] = FinalFrame{'X', 'Y', 1000 + 1, 0};
    r.frames.kappa_set[1000] = 1;
    r.io.create(Files::mopro_parameters, "mopro_kova.par");
    write_mopro_atom(r.io, r, 7);
    write_mopro_atom(r.io, r, 8);
    write_mopro_atom(r.io, r, 1000);
    const std::string blank10(10, ' ');
    // The axes line: AX1 AX2, 3 blanks, the two target names in 10 (a dummy's "UM" and the
    // brackets out) each followed by 3 blanks, " QUA " for a label "H(...)" else " HEX ",
    // 3 blanks, " K" and the kappa set in 5, "   V0  M0  Q0", padded to 90.
    const std::string b3 = "   ", tail = "   V0  M0  Q0";
    const std::vector<std::string> want = {
        "ATOM   7 C12       MOL   1    0.100000    0.200000    0.300000 1.000  1 C" +
            std::string(9, ' '),
        pad("XY" + b3 + "H1        " + b3 + "D12       " + b3 + " HEX " + b3 + " K3    " + tail,
            90),
        "UANI     0.012300  0.011100  0.022200  0.001000 -0.002000  0.003000",
        // Pv P00 | P11 P1-1 P10 P20 P21 P2-1 P22 P2-2
        " 4.00000 0.00000  0.100  0.000  0.000  0.000  0.000  0.000  0.000  -.123",
        // P30 P31 P3-1 P32 P3-2 P33 -P3-3
        "  0.000  0.000  0.000  0.000  0.000  0.000  -.050",
        // P40 P41 P4-1 P42 P4-2 P43 -P4-3 P44 P4-4
        "  0.000  0.000  0.000  0.000  0.000  0.000  0.020  *****  0.000",
        "",
        "ATOM   8 H1        MOL   1    0.200000    0.300000    0.400000 0.500  1 H" +
            std::string(9, ' '),
        pad("ZY" + b3 + "C12       " + b3 + "H1        " + b3 + " QUA " + b3 + " K12345" + tail,
            90),
        "UISO     0.050000",
        " 1.00000 0.00000  0.000  0.000  0.120  0.000  0.000  0.000  0.000  0.000",
        "",
        // an atom number above 999 is written in full: the record grows by one column
        "ATOM 1000 H1        MOL   1    0.000000    0.000000    0.000000 1.000  1 H1" +
            std::string(8, ' '),
        pad("XY" + b3 + "D1        " + b3 + blank10 + b3 + " HEX " + b3 + " K1    " + tail, 90),
        "UANI     0.000000  0.000000  0.000000  0.000000  0.000000  0.000000",
        " 1.00000 0.00000  0.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000",
        "  0.000  0.000  0.000  0.000  0.000  0.000  -.000",
        "  0.000  0.000  0.000  0.000  0.000  0.000  -.000  0.000  0.000",
        "",
    };
    EXPECT_EQ(w.file(Files::mopro_parameters, "mopro_kova.par"), want);
}

TEST(MoproFiles, ResidueAtomRecordAndZeroOccupancy) {
    test::Writer w;
    test::RunRecords& r = w.r;
    r.structure.has_residues = true;
    w.atom(3, "N(4)", {-0.5f, 0.25f, 1.5f}, 0.0f);
    r.structure.residue_label[3] = pad("N4    12 PYR", 17);
    r.frames.valence_population[3] = 0.0f;
    r.io.create(Files::mopro_parameters, "mopro_kova.par");
    write_mopro_atom(r.io, r, 3);
    auto got = w.file(Files::mopro_parameters, "mopro_kova.par");
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[0], "ATOM   3 " + pad("N4    12 PYR", 17) +
                          "   -0.500000    0.250000    1.500000 0.000  1 N" + std::string(9, ' '));
    // nothing to divide by: the stored zeros go out instead of NaN
    EXPECT_EQ(got[3], " 0.00000 0.00000  0.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000");
}

TEST(MoproFiles, DummyKappaAndAtomsBlocks) {
    test::Writer w;
    test::RunRecords& r = w.r;
    r.ensure_dummies(123);
    r.frames.dummy_count = 123;
    r.frames.dummy_xyz[1] = Fractional{0.5f, 0.25f, -0.125f};
    r.frames.dummy_xyz[12] = Fractional{1.0f, 2.0f, 3.0f};
    r.ensure_kappa_sets(1);
    r.frames.kappa_count = 1;
    r.frames.kappa[1] = {0.0f, 1.0f, 0.98f};
    r.structure.atom_count = 2;
    r.io.create(Files::mopro_parameters, "mopro_kova.par");
    write_mopro_blocks(r.io, r);
    auto got = w.file(Files::mopro_parameters, "mopro_kova.par");
    ASSERT_EQ(got.size(), 1u + 123u + 1u + 2u + 1u + 2u);
    EXPECT_EQ(got[0], "DUMMY 123");
    EXPECT_EQ(got[1], "DUMY     0.500000    0.250000   -0.125000  D1     0");
    EXPECT_EQ(got[12], "DUMY     1.000000    2.000000    3.000000  D12    0");
    EXPECT_EQ(got[123], "DUMY     0.000000    0.000000    0.000000  D123   0");
    const std::vector<std::string> tail = {"", "KAPPA   1",  "  1.000000  0.980000",
                                           "", "ATOMS    2", ""};
    EXPECT_EQ(test::slice(got, 124, 6), tail);
}

TEST(MoproFiles, CountsTooWideForTheirFieldsAreWrittenInFull) {
    // MoPro reads these counts free-format: a wider number grows its field instead of
    // turning into asterisks that lose the count.
    test::Writer w;
    test::RunRecords& r = w.r;
    r.ensure_dummies(1000);
    r.frames.dummy_count = 1000;
    r.ensure_kappa_sets(1000);
    r.frames.kappa_count = 1000;
    r.structure.atom_count = 100000;
    r.io.create(Files::mopro_parameters, "mopro_kova.par");
    write_mopro_blocks(r.io, r);
    auto got = w.file(Files::mopro_parameters, "mopro_kova.par");
    ASSERT_EQ(got.size(), 1000u + 1000u + 6u);
    EXPECT_EQ(got[0], "DUMMY 1000");
    EXPECT_EQ(got[1000], "DUMY     0.000000    0.000000    0.000000  D1000  0");
    EXPECT_EQ(got[1002], "KAPPA 1000");
    EXPECT_EQ(got[2004], "ATOMS 100000");
}

TEST(MoproFiles, SimilarityBlockInAtomOrder) {
    test::Writer w;
    test::RunRecords& r = w.r;
    r.ensure_atoms(4);
    r.structure.atom_count = 4;
    r.frames.mopro_similarity[4] = pad("! CONPVM  C(4) C(2)", 90);
    r.frames.mopro_similarity[2] = pad("! CONPVM  C(2) C(1)", 90);
    r.frames.mopro_similarity[3] = pad("! CONPV   not a similarity line", 90);
    r.io.create(Files::mopro_constraints, "con_mopro.inp");
    write_mopro_constraints_start(r.io);
    write_mopro_similarity(r.io, r);
    const std::vector<std::string> want = {
        "!", "! local symmetry  ", "!",
        "!", "! similarity (switched-off)", "!",
        pad("! CONPVM  C(2) C(1)", 90), pad("! CONPVM  C(4) C(2)", 90),
        "!", "! end", "!",
    };
    EXPECT_EQ(w.file(Files::mopro_constraints, "con_mopro.inp"), want);
}

TEST(MoproFiles, RestraintFileInOrder) {
    test::Writer w;
    test::RunRecords& r = w.r;
    w.atom(1, "C(1)", {});
    w.atom(2, "H(1)", {});
    w.atom(3, "C(12)", {});
    w.atom(4, "H(12A)", {});
    r.frames.xh_restraints = {{1, 2, 1.077f, 1.2f}, {3, 4, 0.95f, 1.5f}};
    r.io.create(Files::mopro_residues, "res_mopro.inp");
    write_mopro_restraints_head(r.io);
    write_mopro_distance_lines(r.io, r);
    write_mopro_uratio_block(r.io, r);
    write_mopro_restraints_end(r.io);
    // Name fields: the label's length of its bracket-free name, A5: "C(1)" gives " C1  ",
    // "C(12)" "C12  ", "H(12A)" (6 characters) is cut to "H12A ". Then the distance F6.3
    // and 0.001, or the ratio F6.1 and 0.01; the URATIO lines at their full 100 columns.
    const std::vector<std::string> want = {
        "!", "! X-H distances", "!",
        "DISTAN    C1   1   H1   1  1.077 0.001",
        "DISTAN   C12   1  H12A  1  0.950 0.001",
        "!", "! isotropic H atoms ADPs", "!",
        pad("URATIO       C1   1   H1   1    1.2 0.01", 100),
        pad("URATIO      C12   1  H12A  1    1.5 0.01", 100),
        "!", "! end", "!",
    };
    EXPECT_EQ(w.file(Files::mopro_residues, "res_mopro.inp"), want);
}

TEST(MoproFiles, SymmetryLinesOfTheFramedAtoms) {
    test::Writer w;
    test::RunRecords& r = w.r;
    // site symmetry, axes, and the line: "SYMPLM  " + code (4) + " " + name (10) + " 1"
    struct Case {
        const char* sitesym;
        char axis1, axis2;
        const char* want;  // nullptr: no line
    } cases[] = {
        {"NO", 'X', 'Y', nullptr},  {"m", 'X', 'Y', "mz  "},  {"m", 'Y', 'X', "mz  "},
        {"m", 'Z', 'Y', "mx  "},    {"m", 'X', 'Z', "my  "},  {"mm2", 'Z', 'X', "mxmz"},
        {"3m", 'Z', 'Y', "3m  "},   {"cyl", 'Z', 'Y', "cy  "}, {"-42m", 'Z', 'X', "    "},
    };
    std::vector<std::string> want;
    int i = 0;
    for (const Case& c : cases) {
        ++i;
        w.atom(i, test::numbered("C(", i) + ")", {});
        r.structure.site_symmetry[static_cast<std::size_t>(i)] = pad(c.sitesym, 5);
        r.frames.final_frame[static_cast<std::size_t>(i)].axis1 = c.axis1;
        r.frames.final_frame[static_cast<std::size_t>(i)].axis2 = c.axis2;
        if (c.want) want.push_back("SYMPLM  " + std::string(c.want) + " " +
                                   pad(test::numbered("C", i), 10) + " 1");
    }
    r.io.create(Files::mopro_constraints, "con_mopro.inp");
    write_mopro_symmetry_lines(r.io, r);
    EXPECT_EQ(w.file(Files::mopro_constraints, "con_mopro.inp"), want);

    // With RESI names: the 4-character code right-adjusted in 6 columns, then the residue
    // atom name.
    r.structure.has_residues = true;
    for (int k = 1; k <= i; ++k)
        r.structure.residue_atom[static_cast<std::size_t>(k)] =
            pad(test::numbered("C", k) + "  7", 10);
    r.io.create(Files::mopro_constraints, "con_mopro.inp");
    write_mopro_symmetry_lines(r.io, r);
    auto resi = w.file(Files::mopro_constraints, "con_mopro.inp");
    ASSERT_EQ(resi.size(), want.size());
    EXPECT_EQ(resi[0], "SYMPLM    mz   C2  7     ");
    EXPECT_EQ(resi[4], "SYMPLM    mxmz C6  7     ");
}

TEST(MoproFiles, Trailer) {
    test::Writer w;
    w.r.io.create(Files::mopro_parameters, "mopro_kova.par");
    write_mopro_trailer(w.r.io);
    const std::vector<std::string> want = {
        "", "ANHAR    0    3         !  #atoms #order ", "! 1         ! atom number ",
        "! 0. 0. 0. 0. 0. 0. 0. 0. ", "! 0. 0. ", "", "STOP ",
    };
    EXPECT_EQ(w.file(Files::mopro_parameters, "mopro_kova.par"), want);
}

}  // namespace
}  // namespace kova
