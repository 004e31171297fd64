// The SHELX reader on real files written by SHELXL, Olex2 and others (tests/data/real; the
// tests on files that only the shared structures hold skip when those are not beside the
// checkout). Expected values come from the files by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "input/shelx_atoms.hpp"
#include "shared/format.hpp"
#include "shelx_support.hpp"

namespace kova {
namespace {

using test::has_run;
using test::ShelxRead;

std::string real_file(const std::string& rel) {
    std::ifstream f(test::real_structure(rel), std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// For the files that only the shared structures hold: the test skips, naming the first one
// absent.
#define SKIP_WITHOUT(...)                                      \
    for (const char* rel_ : {__VA_ARGS__})                     \
        if (test::real_structure(rel_).empty()) GTEST_SKIP() << test::absent_structure(rel_)

// Reads one real file under its own name.
void read_real(ShelxRead& t, const std::string& rel) {
    std::string name = std::filesystem::path(rel).filename().string();
    t.read(name, real_file(rel));
}

int label_index(const Records& r, const std::string& label) {
    for (int i = 1; i <= r.structure.atom_count; ++i)
        if (r.structure.label[i] == pad(label, 8)) return i;
    return 0;
}

struct CountCase {
    const char* file;
    int nat;   // atoms without Q peaks (SOURCES.md)
    int nsym;  // SYMM cards + 1, times the lattice points, times 2 when centrosymmetric
    const char* mopro_symm;
};

void expect_counts(const CountCase& c) {
    ShelxRead t;
    read_real(t, c.file);
    ASSERT_FALSE(t.stopped) << c.file << "\n" << t.out.str();
    ASSERT_EQ(t.fault, "") << c.file;
    EXPECT_EQ(t.r.structure.atom_count, c.nat) << c.file;
    EXPECT_EQ(t.r.structure.symmetry.count, c.nsym) << c.file;
    EXPECT_TRUE(has_run(t.file("mopro_kova.par"), {c.mopro_symm, "  X, Y, Z"})) << c.file;
}

TEST(ShelxRealFiles, AtomCountsAndSymmetry) {
    const CountCase cases[] = {
        {"shx-jkd77/jkd77.res", 44, 4, "SYMM   2 P CENTRO"},
        {"shx-i43d-ni/I-43d.res", 65, 48, "SYMM  24 I"},
        {"shx-p31c-cl-p/p-31c.res", 88, 6, "SYMM   6 P"},
        {"shx-p21c-cf3-disorder/p21c.res", 128, 4, "SYMM   2 P CENTRO"},
        {"shx-p212121-sulfur/test_bedelone.res", 24, 4, "SYMM   4 P"},
        {"shx-p-4-resi/014EP-4_a_shelxl.res", 285, 4, "SYMM   4 P"},
        {"shx-pna21-free-h-crlf/ZP2.ins", 50, 4, "SYMM   4 P"},
        {"shx-sucrose-p1-afix/sucrose_p1.res", 90, 1, "SYMM   1 P"},
        {"shx-thpp-exyz-disorder/thpp.ins", 18, 4, "SYMM   2 P CENTRO"},
        {"shx-nacl-fm3m/NaCl.res", 2, 192, "SYMM  24 F CENTRO"},
        {"shx-p212121-cl-free-h/exp_353.res", 64, 4, "SYMM   4 P"},
        {"shx-cctbx-embedded/3odl_fragment.ins", 23, 6, "SYMM   6 P"},
        {"shx-cctbx-embedded/97srv101_disordered.ins", 15, 2, "SYMM   1 P CENTRO"},
        {"shx-cctbx-embedded/aspirin.ins", 21, 4, "SYMM   2 P CENTRO"},
        {"shx-cctbx-embedded/s031_c2c.ins", 4, 8, "SYMM   2 C CENTRO"},
        {"shx-cctbx-embedded/cr4_p63_special_positions.ins", 5, 6, "SYMM   6 P"},
    };
    for (const CountCase& c : cases) expect_counts(c);
}

TEST(ShelxRealFiles, AtomCountsAndSymmetryOfSharedOnlyFiles) {
    const CountCase cases[] = {
        {"shx-p21n-cf3-sulfonyl/p21n_cf3.res", 48, 4, "SYMM   2 P CENTRO"},
        {"shx-c2m-fecl/dom1_mC.res", 6, 8, "SYMM   2 C CENTRO"},
        {"shx-l-alanine-23k/iam.res", 13, 4, "SYMM   4 P"},
    };
    for (const CountCase& c : cases) SKIP_WITHOUT(c.file);
    for (const CountCase& c : cases) expect_counts(c);
}

TEST(ShelxRealFiles, RidingHydrogenAndCartesianCoordinates) {
    ShelxRead t;
    read_real(t, "shx-jkd77/jkd77.res");
    test::RunRecords& r = t.r;
    // P2(1)/n: a 9.9199, b 9.5808, c 18.1079, beta 105.506. N1 at (0.560600, 0.373727,
    // 0.162013): x = a x + c cos(beta) z, y = b y, z = c sin(beta) z.
    int n1 = label_index(r, "N(1)");
    ASSERT_EQ(n1, 1);
    EXPECT_NEAR(r.structure.cart[1][0], 4.776799f, 2e-4);
    EXPECT_NEAR(r.structure.cart[1][1], 3.580604f, 2e-4);
    EXPECT_NEAR(r.structure.cart[1][2], 2.826935f, 2e-4);
    // H1 (U -1.2) rides on C1: U11 0.02805, U22 0.01321, U33 0.02703, U13 0.00508 give
    // Ueq = (U11/sin^2 + U22 + U33/sin^2 + 2 U13 cos/sin^2) / 3 = 0.0232015.
    int h1 = label_index(r, "H(1)");
    ASSERT_EQ(h1, 4);
    EXPECT_NEAR(r.structure.uij[h1][0], 1.2 * 0.0232015, 2e-6);
    EXPECT_EQ(r.structure.adp_order[h1], 1);
    // The methyl H of C9 ride with 1.5 on the same parent, one after the other.
    int c9 = label_index(r, "C(9)");
    const float ueq = equivalent_u(r.structure, c9);
    for (const char* h : {"H(9A)", "H(9B)", "H(9C)"})
        EXPECT_NEAR(r.structure.uij[label_index(r, h)][0], 1.5f * ueq, 1e-7) << h;
}

TEST(ShelxRealFiles, CentredAcentricLatticeHeads) {
    ShelxRead t;
    read_real(t, "shx-i43d-ni/I-43d.res");
    auto mas = t.file("xd_kova.mas");
    ASSERT_GT(mas.size(), 7u);
    EXPECT_EQ(mas[4],
              "CELL      25.4805     25.4805     25.4805     90.0000     90.0000     90.0000");
    EXPECT_EQ(mas[5], "WAVE     0.710730");
    EXPECT_EQ(mas[6], "LATT A I");  // LATT -2
    EXPECT_EQ(mas[7], "SYMM 0.5-X, -Y, 0.5+Z");
    auto par = t.file("mopro_kova.par");
    EXPECT_TRUE(
        has_run(par, {"CELL   25.4805   25.4805   25.4805  90.0000  90.0000  90.0000  0.71073", "",
                      "SYMM  24 I", "  X, Y, Z", " 0.5-X, -Y, 0.5+Z             "}));
    auto out = t.file("kova.out");
    EXPECT_TRUE(has_run(out, {"", " Lattice type : I", " Lattice is Acentric"}));
    // The SFAC order C H N P Cl Ni gives the SCAT rows; nickel: 4S 2 and 3D 8 valence.
    std::string ni;
    for (const auto& l : mas)
        if (l.rfind("Ni   CHFW", 0) == 0) ni = l;
    EXPECT_EQ(ni.substr(0, 52), "Ni   CHFW CHFW CSZD    2   2   2  -2   6   6   0  -8");
    // CL2 sits at (1/2, 1/4, 5/8) with occupancy 10.25: a special position.
    test::RunRecords& r = t.r;
    int cl2 = label_index(r, "CL(2)");
    ASSERT_GT(cl2, 0);
    EXPECT_EQ(r.structure.occupancy[cl2], 0.25f);
    EXPECT_EQ(r.structure.occupancy_flag[cl2], 1);
}

TEST(ShelxRealFiles, FreeVariablesAndFixedValues) {
    {
        // FVAR 0.70431 0.25054; C12 at -21 is 1 - fv(2); its methyl H ride with 1.5 x 0.03323.
        ShelxRead t;
        read_real(t, "shx-cctbx-embedded/97srv101_disordered.ins");
        test::RunRecords& r = t.r;
        int c12 = label_index(r, "C(12)");
        int h121 = label_index(r, "H(121)");
        ASSERT_GT(c12, 0);
        ASSERT_EQ(h121, c12 + 1);
        EXPECT_NEAR(r.structure.occupancy[c12], 0.74946f, 1e-6);
        EXPECT_NEAR(r.structure.occupancy[h121], 0.74946f, 1e-6);
        EXPECT_NEAR(r.structure.uij[h121][0], 1.5f * 0.03323f, 1e-7);
        EXPECT_EQ(r.structure.occupancy_flag[c12], -1);
    }
    {
        // C7 x = 10.910013: a fixed coordinate 0.910013.
        ShelxRead t;
        read_real(t, "shx-cctbx-embedded/aspirin.ins");
        int c7 = label_index(t.r, "C(7)");
        ASSERT_GT(c7, 0);
        EXPECT_NEAR(t.r.structure.frac[c7][0], 0.910013f, 1e-6);
    }
    {
        // Four atoms carry Uiso -0.00100, outside the riding range: they keep it.
        ShelxRead t;
        read_real(t, "shx-p-4-resi/014EP-4_a_shelxl.res");
        int n = 0;
        for (int i = 1; i <= t.r.structure.atom_count; ++i)
            if (t.r.structure.uij[i][0] == -0.001f) ++n;
        EXPECT_EQ(n, 4);
    }
}

TEST(ShelxRealFiles, ResiduesIncludeLinesAndCommentCards) {
    {
        // RESI 4 CCF3 followed by PART 2 -31: the atoms still take the residue; after RESI 0
        // they are outside residues.
        ShelxRead t;
        read_real(t, "shx-p21c-cf3-disorder/p21c.res");
        test::RunRecords& r = t.r;
        EXPECT_TRUE(r.structure.has_residues);
        EXPECT_EQ(r.structure.residue_label[1], "O1       4  CCF3 ");
        EXPECT_EQ(r.structure.residue_atom[1], "O1       4");
        EXPECT_NEAR(r.structure.occupancy[1], 1.0f - 0.55764f, 1e-6);  // -31: 1 - fv(3)
        int ga1 = label_index(r, "GA(1)");  // the first atom after RESI 0
        ASSERT_GT(ga1, 0);
        EXPECT_EQ(r.structure.residue_label[ga1], "GA1      0       ");
    }
    {
        // Comments after "!" on CELL, LATT and SFAC; residues number first, with a water
        // residue whose number needs four columns.
        ShelxRead t;
        read_real(t, "shx-cctbx-embedded/3odl_fragment.ins");
        test::RunRecords& r = t.r;
        ASSERT_EQ(r.structure.type_count, 7);
        const int z[] = {6, 1, 7, 8, 16, 15, 11};
        for (int k = 1; k <= 7; ++k) EXPECT_EQ(r.structure.type_atomic_number[k], z[k - 1]) << k;
        EXPECT_EQ(r.structure.cell[5], 120.0f);
        EXPECT_EQ(r.structure.residue_label[1], "N        8  SER  ");
        EXPECT_EQ(r.structure.residue_label[r.structure.atom_count], "O      ***  HOH  ");
        EXPECT_TRUE(has_run(t.file("xd_kova.mas"), {"LATT A P"}));
    }
    {
        // An include line names a file that is not there: said once, the file is read on.
        ShelxRead t;
        read_real(t, "shx-p31c-cl-p/p-31c.res");
        EXPECT_TRUE(
            has_run(t.file("kova.out"),
                    {" Include files are not read (first include line: +include_some.dfx)"}));
        // Three-fold disorder: 21 and -21 with fv(2) = 0.76052.
        test::RunRecords& r = t.r;
        int n21 = 0, m21 = 0;
        for (int i = 1; i <= r.structure.atom_count; ++i) {
            if (std::fabs(r.structure.occupancy[i] - 0.76052f) < 1e-6) ++n21;
            if (std::fabs(r.structure.occupancy[i] - 0.23948f) < 1e-6) ++m21;
        }
        EXPECT_GT(n21, 0);
        EXPECT_GT(m21, 0);
    }
}

TEST(ShelxRealFiles, CrlfLinesAndMixedCaseLabels) {
    ShelxRead t;
    read_real(t, "shx-pna21-free-h-crlf/ZP2.ins");
    test::RunRecords& r = t.r;
    EXPECT_GT(label_index(r, "H(15A)"), 0);  // written H15a
    for (const auto& l : t.file("kova.out")) EXPECT_EQ(l.find('\r'), std::string::npos) << l;
    for (const auto& l : t.file("xd_kova.mas")) EXPECT_EQ(l.find('\r'), std::string::npos) << l;
}

TEST(ShelxRealFiles, LongOperatorTextStaysWhole) {
    SKIP_WITHOUT("shx-l-alanine-23k/iam.res");
    ShelxRead t;
    read_real(t, "shx-l-alanine-23k/iam.res");
    // "SYMM     0.50000 - X ,            - Y ,    0.50000 + Z": 46 columns after SYMM.
    EXPECT_TRUE(has_run(t.file("mopro_kova.par"),
                        {"SYMM   4 P", "  X, Y, Z",
                         "     0.50000 - X ,            - Y ,    0.50000 + Z"}));
}

struct StopCase {
    const char* file;
    const char* line;  // on the terminal
};

void expect_stop(const StopCase& c) {
    ShelxRead t;
    read_real(t, c.file);
    EXPECT_TRUE(t.stopped) << c.file;
    EXPECT_TRUE(has_run(t.terminal(), {c.line})) << c.file << "\n" << t.out.str();
}

TEST(ShelxRealFiles, FilesThatStopTheRun) {
    const StopCase cases[] = {
        // rhombohedral centring is not among the lattices of the symmetry stage (a
        // free-format line: its own blank, then the text)
        {"shx-r3c-fe-perchlorate/2240189.res", "  Lattice type R is not supported"},
        // SFAC elements from 37 on other than iodine: In, Pt, Ru, named with their SFAC types
        {"shx-large-1529-atoms/1548072_many_atoms.res",  // SFAC  C  H  O  F  AL  IN  N
         " ERROR *** GetSFT *** atomic number not implemented yet: In (Z = 49), SFAC type 6"},
        {"shx-ru-phosphine-crlf/05srv085.ins",  // SFAC C  H  N  P  Ru O
         " ERROR *** GetSFT *** atomic number not implemented yet: Ru (Z = 44), SFAC type 5"},
    };
    for (const StopCase& c : cases) expect_stop(c);
}

TEST(ShelxRealFiles, SharedOnlyFileThatStopsTheRun) {
    const StopCase c = {"shx-pt-bf4-resi/25.res",  // SFAC  C  H  B  F  N  PT  CL
                        " ERROR *** GetSFT *** atomic number not implemented yet: Pt (Z = 78), "
                        "SFAC type 6"};
    SKIP_WITHOUT(c.file);
    expect_stop(c);
}

}  // namespace
}  // namespace kova
