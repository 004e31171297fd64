// The SHELX reader on small files made for it: the head lines of xd_kova.mas and
// mopro_kova.par, the atom records, the mends for files that SHELXL writes today, and the
// ways a bad file ends the run.
#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "shared/format.hpp"
#include "shelx_support.hpp"

namespace kova {
namespace {

using test::has_run;
using test::ShelxRead;

const std::string kBang79(79, '!');

std::string test_pad(const char* s) { return pad(s, 8); }
const std::string kDash78 = std::string("!").append(78, '-');

std::string zeros(int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += "   0";
    return s;
}

TEST(ShelxHeads, XdMasterHeadFollowsTheCards) {
    ShelxRead t;
    t.read("heads.res", test::fixture("heads_latt2_two_sfac.res"));
    ASSERT_FALSE(t.stopped);
    ASSERT_EQ(t.fault, "");
    auto mas = t.file("xd_kova.mas");
    // CELL F12.4 each, WAVE F12.6; LATT 2 is positive: "LATT C" and the letter I; the SYMM
    // cards upper-cased; then the XDLSM start and one SCAT row per SFAC symbol.
    std::vector<std::string> want = {
        kBang79,
        "!                   CREATED BY PROGRAM << KOVA >>",
        kBang79,
        "TITLE TEST",
        "CELL      10.0000     12.0000     15.0000     90.0000    100.0000     90.0000",
        "WAVE     0.710730",
        "LATT C I",
        "SYMM -X, Y, -Z",
        "SYMM X, -Y, Z",
        "SYMM 1/2-X, Y, Z",
        kBang79,
        "!",
        "    MODULE *XDLSM",
        "!",
        "SELECT  *model 4 0 0 0 based_on F test verbose 3",
        "SELECT  cycle 15 dampk 0.6 cmin 0.6 cmax 1. eigcut 1.d-09",
        "SAVE  deriv lsqmat cormat",
        "SOLVE  *inv diag *cond",
        kDash78,
        "SCAT CORE SPHV DEFV   1S  2S  3S  4S  2P  3P  4P  3D  4D  4F  5S  5P  6S  6P  5D  7S"
        "  6D  5F  DELF'   DELF''  NSCTL",
        // carbon: 1S 2 core, 2S 2 and 2P 2 valence
        "C    CHFW CHFW CSZD    2  -2   0   0  -2" + zeros(13) + "  0.0000  0.0000  0.000",
        "H    CHFW CHFW CSZD   -1" + zeros(17) + "  0.0000  0.0000  0.000",
        "N    CHFW CHFW CSZD    2  -2   0   0  -3" + zeros(13) + "  0.0000  0.0000  0.000",
        "O    CHFW CHFW CSZD    2  -2   0   0  -4" + zeros(13) + "  0.0000  0.0000  0.000",
        // iron 1S 2S 3S 2P 3P core, 4S 2 and 3D 6 valence
        "Fe   CHFW CHFW CSZD    2   2   2  -2   6   6   0  -6" + zeros(10) +
            "  0.0000  0.0000  0.000",
        // bromine: the filled 3D counts as valence
        "Br   CHFW CHFW CSZD    2   2   2  -2   6   6  -5 -10" + zeros(10) +
            "  0.0000  0.0000  0.000",
        "I    CHFW CHFW CSZD    2   2   2   2   6   6   6  10  10   0  -2  -5" + zeros(6) +
            "  0.0000  0.0000  0.000",
        "END SCAT",
        kDash78,
    };
    EXPECT_EQ(mas, want);
}

TEST(ShelxHeads, MoproCellSymmetryAndFixedLines) {
    ShelxRead t;
    t.read("heads.res", test::fixture("heads_latt2_two_sfac.res"));
    auto par = t.file("mopro_kova.par");
    ASSERT_GT(par.size(), 4u);
    std::vector<std::string> body(par.begin() + 4, par.end());  // after the run's own head
    // CELL A4, a b c F10.4, angles F9.4, a blank, the wavelength F8.5; three SYMM cards
    // give the count 4, each text from column 5 of its card padded to 30 columns.
    std::vector<std::string> want = {
        "CELL   10.0000   12.0000   15.0000  90.0000 100.0000  90.0000  0.71073",
        "",
        "SYMM   4 I CENTRO",
        "  X, Y, Z",
        " -X, Y, -Z                    ",
        " X, -Y, Z                     ",
        " 1/2-X, Y, Z                  ",
        "",
        "SCALE  1  1.0",
        "",
        "FMULT  1.0",
        "",
        "UOVER  0.0",
        "",
        "SOLVT  0.0  50.0",
        "",
        "EXTIN  0.0  GAUSSIAN  ISOT  TYP1",
        "",
    };
    EXPECT_EQ(body, want);
}

TEST(ShelxHeads, CardsFillTheRecords) {
    ShelxRead t;
    t.read("heads.res", test::fixture("heads_latt2_two_sfac.res"));
    test::RunRecords& r = t.r;
    // Two SFAC cards, a long-form card (its numbers are no types) and a lower-case card.
    ASSERT_EQ(r.structure.type_count, 7);
    const int z[] = {6, 1, 7, 8, 26, 35, 53};
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(r.structure.type_atomic_number[k], z[k - 1]) << k;
    // Two FVAR cards with 2 and 3 numbers give five free variables in card order.
    EXPECT_EQ(r.structure.free_var_count, 5);
    const float fv[] = {1.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(r.structure.free_var[k], fv[k - 1]);
    // WGHT fills from the first place on; the rest keep their initial values.
    const float w[] = {0.1f, 0.2f, 0.3f, 0.0f, 0.0f, 0.33333334f};
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(r.structure.weight[k], w[k - 1]);
    const float cell[] = {10.0f, 12.0f, 15.0f, 90.0f, 100.0f, 90.0f};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(r.structure.cell[k], cell[k]);
    EXPECT_FALSE(r.structure.has_residues);

    auto out = t.file("kova.out");
    EXPECT_TRUE(has_run(out, {"", " Reading SHELX file : heads.res" + std::string(51, ' ')}));
    EXPECT_TRUE(has_run(out, {"", " Cell parameters:     10.000    12.000    15.000    90.000   "
                                  "100.000    90.000"}));
    EXPECT_TRUE(has_run(out, {"", " Lattice type : I", " Lattice is CentroSymmetric"}));
    const std::string head = "    NO.  ATOM     IZ IU SF    XF       YF       ZF    OCCUP  U's -->";
    const std::string c1 = "     1   C(1)      6  1  1  0.10000  0.20000  0.30000 1.000  0.050";
    EXPECT_TRUE(has_run(out, {"", head, c1}));
    EXPECT_TRUE(
        has_run(t.terminal(), {"", head, c1, "", " Total atoms read from SHELX file =     1"}));
}

TEST(ShelxHeads, CartesianCoordinatesOfAMonoclinicCell) {
    ShelxRead t;
    t.read("heads.res", test::fixture("heads_latt2_two_sfac.res"));
    const Vec3f& xc = t.r.structure.cart[1];
    // a = 10, b = 12, c = 15, beta = 100: x = a x + c cos(beta) z, y = b y, z = c sin(beta) z
    // at (0.1, 0.2, 0.3): 1 - 4.5 * 0.173648 = 0.218583, 2.4, 4.5 * 0.984808 = 4.431634
    EXPECT_NEAR(xc[0], 0.218583f, 2e-5);
    EXPECT_NEAR(xc[1], 2.4f, 2e-5);
    EXPECT_NEAR(xc[2], 4.431634f, 2e-5);
}

// A minimal file around the given cards (before the atoms) and atom records.
std::string small_file(const std::string& cards, const std::string& atoms) {
    return "TITL t\nCELL 0.71073 10 10 10 90 90 90\n" + cards + "SFAC C H\n" + atoms + "END\n";
}

TEST(ShelxHeads, LatticeVariants) {
    struct Case {
        const char* cards;
        std::vector<std::string> xd_latt;  // the LATT lines of xd_kova.mas, in order
        const char* mopro;                 // the MoPro SYMM line
        const char* kind;                  // the listing word
    };
    const Case cases[] = {
        {"LATT -1\n", {"LATT A P"}, "SYMM   1 P", " Lattice is Acentric"},
        {"LATT 2\n", {"LATT C I"}, "SYMM   1 I CENTRO", " Lattice is CentroSymmetric"},
        // a negative LATT after a positive one keeps the centrosymmetric flag
        {"LATT 7\nLATT -1\n", {"LATT C C", "LATT C P"}, "SYMM   1 P CENTRO",
         " Lattice is CentroSymmetric"},
        // no LATT card: the SHELX default, LATT 1
        {"", {"LATT C P"}, "SYMM   1 P CENTRO", " Lattice is CentroSymmetric"},
    };
    for (const Case& c : cases) {
        ShelxRead t;
        t.read("l.res", small_file(c.cards, "C1 1 0.1 0.2 0.3 11.0 0.05\n"));
        ASSERT_EQ(t.fault, "") << c.cards;
        std::vector<std::string> latt;
        for (const auto& l : t.file("xd_kova.mas"))
            if (l.rfind("LATT", 0) == 0) latt.push_back(l);
        EXPECT_EQ(latt, c.xd_latt) << c.cards;
        auto par = t.file("mopro_kova.par");
        EXPECT_TRUE(has_run(par, {c.mopro, "  X, Y, Z", ""})) << c.cards;
        EXPECT_TRUE(has_run(t.file("kova.out"), {c.kind})) << c.cards;
    }
}

TEST(ShelxAtoms, RidingUAndFreeVariables) {
    ShelxRead t;
    t.read("r.res", test::fixture("riding_and_free_variables.res"));
    ASSERT_FALSE(t.stopped);
    ASSERT_EQ(t.fault, "");
    test::RunRecords& r = t.r;
    ASSERT_EQ(r.structure.atom_count, 13);
    struct Want {
        const char* label;
        int tp;
        float occ, u11;
    };
    // fv = 1.0, 0.6, 0.25; the cell is orthogonal, so Ueq is the mean of U11, U22, U33.
    const Want want[] = {
        {"C(1)", 1, 1.0f, 0.04f},
        {"H(1)", 1, 1.0f, 1.2f * 0.04f},   // rides on C1
        {"H(2)", 1, 1.0f, 1.5f * 0.04f},   // H1 rides, so C1 is the parent again
        {"C(2)", 1, 0.6f, 0.05f},          // 21.0: 1 x fv(2)
        {"H(3)", 1, 0.4f, 0.5f * 0.05f},   // -21.0: 1 - fv(2); U -0.5 rides
        {"H(4)", 1, 0.5f, 5.0f * 0.05f},   // 10.5 fixed; U -5.0 rides
        {"H(5)", 1, -0.5f, -0.49f},        // -10.5 fixed; -0.49 is a plain negative Uiso
        {"H(6)", 1, 0.5f, -5.01f},         // -5.01 does not ride either
        {"H(7)", 1, 1.0f, 1.2f * -5.01f},  // the nearest atom that does not ride is H6
        {"C(3)", 1, -0.25f, 0.03f},        // 29.0 = 30 - 1: -1 x fv(3)
        {"C(4)", 2, -3.0f, 0.03f},         // -26.0 = -30 + 4: 4 x (fv(3) - 1)
        {"H(8)", 1, 1.0f, 1.5f * 0.04f},   // Ueq of C4 = (0.03 + 0.04 + 0.05) / 3
        {"C(5)", 2, 3.0f, 0.02f},          // 25.0 = 20 + 5: 5 x fv(2); two lines
    };
    for (int i = 1; i <= 13; ++i) {
        const Want& w = want[i - 1];
        EXPECT_EQ(r.structure.label[i], test_pad(w.label)) << i;
        EXPECT_EQ(r.structure.adp_order[i], w.tp) << i;
        EXPECT_NEAR(r.structure.occupancy[i], w.occ, 1e-6) << i;
        EXPECT_NEAR(r.structure.uij[i][0], w.u11, 1e-6) << i;
    }
    // Seven decimals are rounded to six by the rewritten record.
    EXPECT_EQ(r.structure.frac[10][0], 0.123457f);
    // SHELX order U11 U22 U33 U23 U13 U12 is stored as U11 U22 U33 U12 U13 U23.
    const float u4[] = {0.03f, 0.04f, 0.05f, 0.003f, 0.002f, 0.001f};
    const float u5[] = {0.02f, 0.03f, 0.04f, 0.006f, 0.005f, 0.004f};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(r.structure.uij[11][k], u4[k]) << k;
        EXPECT_EQ(r.structure.uij[13][k], u5[k]) << k;
    }
    EXPECT_EQ(r.structure.atomic_number[2], 1);
    EXPECT_EQ(r.structure.multipole_level[2], 2);
    EXPECT_EQ(r.structure.multipole_level[1], 4);
    EXPECT_EQ(r.structure.scattering_table[2], 2);
}

TEST(ShelxAtoms, RenameNumbering) {
    struct Case {
        bool rename;
        RenameMode mode;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {false, RenameMode::all_atoms, {"C(7)", "CL(X)", "C(A)", "C(12)", "H(Q)"}},
        {true, RenameMode::all_atoms, {"C(1)", "Cl(2)", "C(3)", "C(4)", "H(5)"}},
        // the third carbon is C(3)
        {true, RenameMode::per_type, {"C(1)", "Cl(1)", "C(2)", "C(3)", "H(1)"}},
    };
    for (const Case& c : cases) {
        ShelxRead t;
        t.r.options.rename_atoms = c.rename;
        t.r.options.rename_mode = c.mode;
        t.read("n.res", test::fixture("rename_types.res"));
        ASSERT_EQ(t.r.structure.atom_count, 5);
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(t.r.structure.label[i], test_pad(c.labels[i - 1].c_str()))
                << static_cast<int>(c.mode) << i;
    }
}

// The same file with CRLF line ends, as Windows programs write it.
std::string crlf(const std::string& text) {
    std::string s;
    for (char ch : text) {
        if (ch == '\n') s += '\r';
        s += ch;
    }
    return s;
}

TEST(ShelxAtoms, CurrentShelxlFileReadsAsShelxlReadsIt) {
    ShelxRead t;
    t.read("cur.res", crlf(test::fixture("current_shelxl.res")));
    ASSERT_FALSE(t.stopped) << t.out.str();
    ASSERT_EQ(t.fault, "");
    test::RunRecords& r = t.r;
    // Blank-started header lines, "!" comments, tabs, the newer instructions with their
    // continuation lines, include lines, Q peaks, a FRAG block and what follows HKLF are no
    // atoms.
    ASSERT_EQ(r.structure.atom_count, 6);
    const char* labels[] = {"C(1)", "H(1A)", "H(1B)", "O(1)", "C(2)", "O(2)"};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(r.structure.label[i], test_pad(labels[i - 1])) << i;
    EXPECT_EQ(r.structure.adp_order[1], 2);
    EXPECT_EQ(r.structure.uij[1][5], 0.001f);  // U23 from the continuation line
    EXPECT_NEAR(r.structure.occupancy[2], 0.6f, 1e-6);
    EXPECT_NEAR(r.structure.occupancy[3], 0.4f, 1e-6);
    EXPECT_NEAR(r.structure.uij[3][0], 1.5f * 0.03f, 1e-6);
    EXPECT_EQ(r.structure.cell[0], 8.0f);
    EXPECT_EQ(r.structure.type_count, 3);  // "! types" is a comment, not three more types
    EXPECT_EQ(r.structure.weight[1], 0.1f);
    EXPECT_EQ(r.structure.free_var_count, 2);

    // Residues in each SHELXL form: number and class, class alone, class first, number alone.
    EXPECT_TRUE(r.structure.has_residues);
    const char* reslab[] = {"C1       1  CCF3 ", "H1A      1  CCF3 ", "h1b      1  CCF3 ",
                            "O1       0  CF3  ", "C2      13  BF4  ", "O2       7       "};
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(r.structure.residue_label[i], reslab[i - 1]) << i;
        EXPECT_EQ(r.structure.residue_atom[i], std::string(reslab[i - 1]).substr(0, 10)) << i;
    }
    // The listing says once that include files are not read.
    int notes = 0;
    for (const auto& l : t.file("kova.out"))
        if (l.find("Include files are not read") != std::string::npos) ++notes;
    EXPECT_EQ(notes, 1);
    EXPECT_TRUE(has_run(t.file("kova.out"),
                        {" Include files are not read (first include line: +include_some.dfx)"}));
}

TEST(ShelxAtoms, BadAtomRecordsEndTheRun) {
    struct Case {
        const char* atoms;
        std::vector<std::string> terminal;  // lines expected on the terminal
        const char* fault;                  // start of the run-time error, "" when none
        const char* stderr_text;
    };
    const Case cases[] = {
        // five and seven numbers: the record as rewritten, 11.0 already decoded to 1.0, then
        // the file and the record (the atom follows TITL, CELL, LATT and SFAC)
        {"C1 1 0.1 0.2 0.3 11.0\n",
         {"", " Error reading atom: C(1)",
          " Line <<        1    0.100000    0.200000    0.300000    1.000000>>",
          " File bad.res, record 5", ""},
         "",
         ""},
        {"C1 1 0.1 0.2 0.3 11.0 0.05 0.06\n",
         {"", " Error reading atom: C(1)",
          " Line <<        1    0.100000    0.200000    0.300000    1.000000    0.050000    "
          "0.060000>>",
          " File bad.res, record 5", ""},
         "",
         ""},
        {"H1 2 0.1 0.2 0.3 11.0 -1.2\n",
         {},
         "",
         " ProcessU :: Could not find parent atom H1 (bad.res, record 5)\n"},
        {"ABCD XYZ 1 2\n",
         {},
         "bad.res, record 5: expected the SFAC number of an atom in \"ABCD XYZ 1 2\"",
         ""},
        {"FOOBAR\n", {}, "bad.res, record 5: expected an atom record in \"FOOBAR\"", ""},
        {"C1 3 0.1 0.2 0.3 11.0 0.05\n",
         {},
         "bad.res, record 5: SFAC number 3 is not among the 2",
         ""},
        {"C1 1 0.1 0.2 0.3 11.0 0.05 1 2 3 4 5 6 7 8 9 10 11\n",
         {},
         "bad.res, record 5: expected at most 15 values",
         ""},
        {"C1 1 0.1 0.2 0.3 11.0 0.05\nC1234567 1 0.1 0.2 0.3 11.0 0.05\n",
         {},
         "bad.res, record 6: atom name \"C1234567\" is too long",
         ""},
        {"C1 1 0.1 0.2 O.3 11.0 0.05\n", {}, "bad.res, record 5: expected 6 numbers", ""},
    };
    for (const Case& c : cases) {
        ShelxRead t;
        t.read("bad.res", small_file("LATT -1\n", c.atoms));
        const bool want_stop = c.fault[0] == '\0';
        EXPECT_EQ(t.stopped, want_stop) << c.atoms;
        EXPECT_EQ(t.fault.rfind(c.fault, 0), 0u) << c.atoms << " gave: " << t.fault;
        if (!c.terminal.empty()) {
            auto term = t.terminal();
            ASSERT_GE(term.size(), c.terminal.size());
            std::vector<std::string> tail(term.end() - static_cast<long>(c.terminal.size()),
                                          term.end());
            EXPECT_EQ(tail, c.terminal) << c.atoms;
        }
        EXPECT_EQ(t.errs.str(), c.stderr_text) << c.atoms;
    }
}

TEST(ShelxHeads, BadHeadsEndTheRun) {
    struct Case {
        std::string file;
        const char* err_line;  // the fatal-error line, "" for a run-time error
        const char* fault;
    };
    const std::string atom = "C1 1 0.1 0.2 0.3 11.0 0.05\n";
    const Case cases[] = {
        {"TITL t\nLATT 1\nSFAC C\n" + atom + "END\n",
         " ERROR *** ReadShelx *** No CELL card in SHELX file bad.res", ""},
        {"TITL t\nCELL 0.71073 10 10 10 90 90 90\nSFAC C RB\n" + atom + "END\n",
         " ERROR *** GetSFT *** atomic number not implemented yet: Rb (Z = 37), SFAC type 2", ""},
        {"TITL t\nCELL 0.71073 10 10 10 90 90 90\nLATT 9\nSFAC C\n" + atom + "END\n",
         " ERROR *** ReadShelx *** LATT number 9 is not one of -7..-1, 1..7", ""},
        {"TITL t\nCELL 0.71073 10 10 10 90 90 9O\nSFAC C\n" + atom + "END\n", "",
         "bad.res, record 2: expected the wavelength and six cell constants on the CELL card, "
         "found \"CELL 0.71073 10 10 10 90 90 9O\""},
        {"TITL t\nCELL 0.71073 10 10 10 90 90 90\nSFAC C\nFVAR 1.0 x\n" + atom + "END\n", "",
         "bad.res, record 4: expected 2 free variables on the FVAR card, found \"FVAR 1.0 X\""},
    };
    for (const Case& c : cases) {
        ShelxRead t;
        t.read("bad.res", c.file);
        if (c.err_line[0] != '\0') {
            EXPECT_TRUE(t.stopped) << c.file;
            EXPECT_TRUE(has_run(t.file("kova.out"), {"", c.err_line, ""})) << c.file;
            EXPECT_TRUE(has_run(t.terminal(), {"", c.err_line, ""})) << c.file;
        } else {
            EXPECT_EQ(t.fault, c.fault) << c.file;
        }
    }
    // The unknown element stops the run while the SCAT table is made: before the cell and
    // the symmetry are listed.
    ShelxRead t;
    t.read("bad.res", cases[1].file);
    EXPECT_TRUE(has_run(t.file("kova.out"),
                        {" Reading SHELX file : bad.res" + std::string(53, ' '), "",
                         cases[1].err_line, ""}));
}

// Several CELL cards, and SYMM and LATT cards between them: both heads repeat them in the
// order of the file, each CELL card with its own wavelength; the cell read is the last one.
TEST(ShelxHeads, CardsKeepTheirFileOrder) {
    ShelxRead t;
    t.read("order.res", "TITL t\nCELL 0.71073 10 10 10 90 90 90\nSYMM -x,y,-z ! a comment\n"
                        "LATT -1\nCELL 1.54178 11 12 13 90 95 90\nSFAC C\n"
                        "C1 1 0.1 0.2 0.3 11.0 0.05\nEND\n");
    ASSERT_FALSE(t.stopped);
    ASSERT_EQ(t.fault, "");
    const ShelxHead& head = t.r.structure.shelx_head;
    ASSERT_EQ(head.cards.size(), 4u);
    EXPECT_TRUE(std::holds_alternative<CellCard>(head.cards[0]));
    EXPECT_EQ(std::get<SymmetryCard>(head.cards[1]).text, "SYMM -X,Y,-Z");
    EXPECT_FALSE(std::get<LatticeCard>(head.cards[2]).centric);
    EXPECT_EQ(std::get<CellCard>(head.cards[3]).wavelength, 1.54178f);
    EXPECT_EQ(head.lattice, 'P');
    EXPECT_FALSE(head.centric);
    EXPECT_EQ(t.r.structure.cell[4], 95.0f);

    auto mas = t.file("xd_kova.mas");
    ASSERT_GT(mas.size(), 10u);
    // F12.4 each for the cell, F12.6 for the wavelength
    const std::vector<std::string> cards = {
        "CELL      10.0000     10.0000     10.0000     90.0000     90.0000     90.0000",
        "WAVE     0.710730",
        "SYMM -X,Y,-Z",
        "LATT A P",
        "CELL      11.0000     12.0000     13.0000     90.0000     95.0000     90.0000",
        "WAVE     1.541780",
        kBang79,
    };
    EXPECT_EQ(std::vector<std::string>(mas.begin() + 4, mas.begin() + 11), cards);
    auto par = t.file("mopro_kova.par");
    ASSERT_GT(par.size(), 10u);
    // a b c F10.4, the angles F9.4, a blank and the wavelength F8.5; two operators with
    // the identity; the card's text from column 5 padded to 30 columns
    const std::vector<std::string> lines = {
        "CELL   10.0000   10.0000   10.0000  90.0000  90.0000  90.0000  0.71073",
        "",
        "CELL   11.0000   12.0000   13.0000  90.0000  95.0000  90.0000  1.54178",
        "",
        "SYMM   2 P",
        "  X, Y, Z",
        " -X,Y,-Z                      ",
        "",
    };
    EXPECT_EQ(std::vector<std::string>(par.begin() + 4, par.begin() + 12), lines);
}

TEST(ShelxHeads, MissingFileNamesTheFile) {
    ShelxRead t;
    t.read("missing.res");
    EXPECT_TRUE(t.stopped);
    EXPECT_TRUE(has_run(
        t.file("kova.out"),
        {"", " ERROR *** ReadShelx *** Error opening SHELX file... missing.res: no such file", ""}));
}

TEST(ShelxRun, FormatShelxRunReadsTheStructure) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT *shelx\nINPUT riding.res\n");
    dir.write("riding.res", test::fixture("riding_and_free_variables.res"));
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 0) << res.err;
    EXPECT_TRUE(
        has_run(test::lines_of(res.out), {"", " Total atoms read from SHELX file =    13"}));
    auto mas = test::lines_of(dir.read("xd_kova.mas"));
    ASSERT_GE(mas.size(), 4u);
    EXPECT_EQ(mas[3], "TITLE TEST");
    EXPECT_TRUE(has_run(test::lines_of(dir.read("mopro_kova.par")), {"SYMM   1 P", "  X, Y, Z"}));
}

TEST(ShelxRun, AnUnreadableRecordIsARunTimeError) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT *shelx\nINPUT bad.res\n");
    dir.write("bad.res", small_file("LATT 1\n", "C1 1 0.1 0.2 0.3 11.0 0.05\nABCD XYZ 1 2\n"));
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 2);
    EXPECT_EQ(res.err,
              "kova: bad.res, record 6: expected the SFAC number of an atom in \"ABCD XYZ 1 2\"\n");
}

}  // namespace
}  // namespace kova

namespace kova {
namespace {

double dist(const Records& r, int i, int j) {
    double s = 0.0;
    for (int k = 0; k < 3; ++k) {
        double d = static_cast<double>(r.structure.cart[i][k]) - r.structure.cart[j][k];
        s += d * d;
    }
    return std::sqrt(s);
}

TEST(ShelxExample, CresolHasTheGeometryItWasBuiltFrom) {
    ShelxRead t;
    std::ifstream f(std::string(KOVA_TEST_DATA) + "/../../examples/cresol.res", std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    ASSERT_FALSE(ss.str().empty());
    t.read("cresol.res", ss.str());
    ASSERT_EQ(t.fault, "");
    test::RunRecords& r = t.r;
    ASSERT_EQ(r.structure.atom_count, 16);
    auto at = [&](const char* l) {
        for (int i = 1; i <= r.structure.atom_count; ++i)
            if (r.structure.label[i] == pad(l, 8)) return i;
        return 0;
    };
    // The distances the script built the molecule from, found again from the Cartesian
    // coordinates (fractional coordinates carry six decimals: 1e-4 A is ample).
    struct Bond {
        const char *a, *b;
        double d;
    };
    const Bond bonds[] = {
        {"C(1)", "C(2)", 1.390}, {"C(3)", "C(4)", 1.390}, {"C(6)", "C(1)", 1.390},
        {"C(1)", "O(1)", 1.365}, {"C(4)", "C(7)", 1.506}, {"C(2)", "H(2)", 0.950},
        {"C(7)", "H(7A)", 0.980}, {"C(7)", "H(7C)", 0.980}, {"O(1)", "H(1)", 0.840},
        {"C(1)", "C(4)", 2 * 1.390},  // across the ring
    };
    for (const Bond& b : bonds) EXPECT_NEAR(dist(r, at(b.a), at(b.b)), b.d, 1e-4) << b.a << b.b;
    // Ueq of every C and O is a third of 0.020 + 0.025 + 0.030; the H ride with 1.2 and 1.5.
    EXPECT_NEAR(r.structure.uij[at("H(2)")][0], 1.2 * 0.025, 2e-5);
    EXPECT_NEAR(r.structure.uij[at("H(7B)")][0], 1.5 * 0.025, 2e-5);
    EXPECT_NEAR(r.structure.uij[at("H(1)")][0], 1.5 * 0.025, 2e-5);
}

}  // namespace
}  // namespace kova
