// AIM2TAB and PLATON readers, the type list and the atom table: unit cases and whole runs.
#include "input/cartesian_readers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "input/session.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {
namespace {

std::string fixture(const std::string& rel) { return test::data_file(rel); }

// The records as FORMAT AIM2TAB or PLATON leaves them for the reader: Cartesian input.
struct CartesianSession : test::Session {
    CartesianSession() { r.options.crystal_input = false; }
};

// The channel the Cartesian readers read their file on (their own, not in a header).

// An AIM2TAB atom row: 5X, A8, 11X, 3F9.4.
std::string row(int i, const std::string& label, const char* x, const char* y, const char* z) {
    return fi(i, 5) + pad(label, 8) + fa("1.0079", 11) + fa(x, 9) + fa(y, 9) + fa(z, 9) + "\n";
}

const char* const kCount = " NUMBER OF ATOMS READ =";
const char* const kHead = " NO. ATOM       AT.MASS        X        Y        Z\n";

const std::string kTableHead =
    "         ATOM      ------- FRACTIONAL -------    ------- CARTESIAN -------  FLAG";

// The rows of list_atoms: I7, 2X, A8, 1X, 3F9.5, 2X, 3F9.4, I6; all fractional coordinates
// and flags 0 for Cartesian input.
std::string atom_line(int i, const char* label, const char* xc) {
    return fi(i, 7) + "  " + pad(label, 8) + " " + "  0.00000  0.00000  0.00000" + "  " + xc +
           "     0";
}

TEST(ReadAim2Tab, BohrToAngstromAndListings) {
    CartesianSession s;
    s.dir.write("w.out", fixture("aim2tab/water_like.out"));
    read_aim2tab(s.r.io, s.r, "w.out");
    const test::RunRecords& r = s.r;
    ASSERT_EQ(r.structure.atom_count, 4);
    // 1.0 and 2.0 bohr times 0.52917725 in single precision
    EXPECT_EQ(r.structure.cart[2], (Vec3f{0.52917725f, 2.0f * 0.52917725f, 0.0f}));
    EXPECT_EQ(r.structure.frac[2], (Vec3f{0, 0, 0}));
    // a field without a point has four implied decimals: "-14305" is -1.4305 bohr
    EXPECT_EQ(r.structure.cart[3][2], -1.4305f * 0.52917725f);
    // labels keep their case and their columns; a leading blank hides the element
    EXPECT_EQ(r.structure.label[3], "h2      ");
    EXPECT_EQ(r.structure.label[4], " C3     ");
    const int iz[5] = {0, 8, 1, 1, 0};
    const int lmx[5] = {0, 4, 2, 2, 4};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(r.structure.atomic_number[i], iz[i]) << i;
        EXPECT_EQ(r.structure.multipole_level[i], lmx[i]) << i;
        EXPECT_EQ(r.structure.occupancy[i], 1.0f) << i;
        EXPECT_EQ(r.structure.occupancy_flag[i], 0) << i;
    }
    ASSERT_EQ(r.structure.type_count, 3);
    EXPECT_EQ(r.structure.type_atomic_number[1], 8);
    EXPECT_EQ(r.structure.type_atomic_number[2], 1);
    EXPECT_EQ(r.structure.type_atomic_number[3], 0);
    EXPECT_FALSE(s.r.io.is_open_in(Files::cartesian_input));

    const std::vector<std::string> term = {
        "",
        " Number of atom types =    3",
        "   atom type =  1    atomic number =   8",
        "   atom type =  2    atomic number =   1",
        "   atom type =  3    atomic number =   0",
        "",
        " Total atoms read from AIM2TAB output file =     4",
    };
    EXPECT_EQ(s.terminal(), term);
    // 2 bohr = 1.0583545 Å rounds up to 1.0584; 1.4305 bohr = 0.756988 Å
    const std::vector<std::string> listing = {
        "",
        kTableHead,
        atom_line(1, "O1", "   0.0000   0.0000   0.0000"),
        atom_line(2, "H1", "   0.5292   1.0584   0.0000"),
        atom_line(3, "h2", "   0.7570   0.0000  -0.7570"),
        atom_line(4, " C3", "   1.0584  -1.0584   5.2918"),
        "",
        " FLAG =  0 : normal atoms (     4 )",
        "      =  1 : atoms in special positions (     0 ) ",
        "      = -1 : disordered atoms (     0 ) ",
    };
    EXPECT_EQ(s.listing(), listing);
}

TEST(ReadAim2Tab, CountAndHeaderOrder) {
    // A header before any count reads nothing; the last count stands; a second header
    // reads a new block over the first, types restarted.
    CartesianSession s;
    std::string text = std::string(kHead) + "  ignored row, not read as an atom\n" +
                       kCount + "      3\n" + kHead + " ----\n" +
                       row(1, "C1", "1.0000", "0.0000", "0.0000") +
                       row(2, "N1", "2.0000", "0.0000", "0.0000") +
                       row(3, "C2", "3.0000", "0.0000", "0.0000") + kCount + "      2\n" + kHead +
                       " ----\n" + row(1, "O1", "4.0000", "0.0000", "0.0000") +
                       row(2, "O2", "5.0000", "0.0000", "0.0000");
    s.dir.write("a.out", text);
    read_aim2tab(s.r.io, s.r, "a.out");
    ASSERT_EQ(s.r.structure.atom_count, 2);
    EXPECT_EQ(s.r.structure.label[1], "O1      ");
    EXPECT_EQ(s.r.structure.cart[2][0], 5.0f * 0.52917725f);
    ASSERT_EQ(s.r.structure.type_count, 1);
    EXPECT_EQ(s.r.structure.type_atomic_number[1], 8);
}

TEST(ReadAim2Tab, HeaderPassesOverItsNextRecordEvenWithoutCount) {
    // The record under a header is passed over before the rows are read, also when no count
    // came before it: here that record is the count line, so no count is ever read and the
    // second header reads no row either.
    CartesianSession s;
    s.dir.write("a.out", std::string(kHead) + kCount + "      1\n" + kHead + " ----\n" +
                             row(1, "C1", "1.0000", "0.0000", "0.0000"));
    read_aim2tab(s.r.io, s.r, "a.out");
    EXPECT_EQ(s.r.structure.atom_count, 0);
}

TEST(ReadAim2Tab, NoMarkersGivesNoAtoms) {
    CartesianSession s;
    s.dir.write("a.out", "just some text\n\n");
    read_aim2tab(s.r.io, s.r, "a.out");
    EXPECT_EQ(s.r.structure.atom_count, 0);
    EXPECT_EQ(s.terminal().back(), " Total atoms read from AIM2TAB output file =     0");
}

TEST(ReadAim2Tab, RejectsWhatItCannotRead) {
    struct Case {
        std::string text;
        const char* fault;  // expected part of the run-time error
    };
    const std::string head = std::string(kCount) + "      2\n" + kHead + " ----\n";
    const Case cases[] = {
        {head + row(1, "C1", "1.0000", "0.0x00", "0.0000"),
         "a.out, record 4: expected the y coordinate of atom 1 in columns 34-42, found \"0.0x00\""},
        {head + row(1, "C1", "1.0000", "0.0000", "0.0000"),
         "a.out, record 5: expected the row of atom 2, found the end of the file"},
        {std::string(kCount) + "      2\n" + kHead,
         "a.out, record 3: expected the line under the atom table head"},
        {std::string(kCount) + "   two\n",
         "a.out, record 1: expected the number of atoms in "
         "columns 24-30, found \"two\""},
        {std::string(kCount) + "\n", "a.out, record 1: expected the number of atoms"},
        {std::string(kCount) + "     -3\n" + kHead,
         "a.out, record 1: the number of atoms cannot be negative"},
    };
    for (const Case& c : cases) {
        CartesianSession s;
        s.dir.write("a.out", c.text);
        try {
            read_aim2tab(s.r.io, s.r, "a.out");
            ADD_FAILURE() << "no fault for " << c.text;
        } catch (const RunFault& f) {
            EXPECT_NE(std::string(f.what()).find(c.fault), std::string::npos) << f.what();
        }
    }
}

TEST(CartesianReaders, OpenFailuresAndTooManyAtoms) {
    struct Case {
        bool platon;
        const char* name;
        std::string text;  // written unless empty; "dir" makes a directory
        const char* line;
    };
    const Case cases[] = {
        {false, "missing.out", "",
         " ERROR *** ReadAim2Tab *** Error opening AIM2TAB output file... missing.out: no such "
         "file"},
        {false, "dir", "dir",
         " ERROR *** ReadAim2Tab *** Error opening AIM2TAB output file... dir: is a directory, not a "
         "file"},
        {true, "missing.pla", "",
         " ERROR *** ReadPlaton *** Error opening PLATON file missing.pla: no such file"},
        {true, "dir", "dir",
         " ERROR *** ReadPlaton *** Error opening PLATON file dir: is a directory, not a file"},
        {true, "", "",
         " ERROR *** ReadPlaton *** Error opening PLATON file : kova.inp names no structure file "
         "(give it on the INPUT line)"},
        {false, "big.out", std::string(kCount) + " 100001\n",
         " ERROR *** ReadAim2Tab *** Too many atoms"},
    };
    for (const Case& c : cases) {
        CartesianSession s;
        if (c.text == "dir") std::filesystem::create_directory(s.dir / c.name);
        else if (!c.text.empty()) s.dir.write(c.name, c.text);
        EXPECT_THROW(c.platon ? read_platon(s.r.io, s.r, c.name)
                              : read_aim2tab(s.r.io, s.r, c.name),
                     RunStop);
        auto t = s.terminal();
        ASSERT_EQ(t.size(), 3u) << c.name;
        EXPECT_EQ(t[1], c.line);
    }
}

TEST(ReadPlaton, LabelsNumbersAndTypes) {
    CartesianSession s;
    s.dir.write("p.pla",
                "TITL words and numbers\n"
                "atom c1 1.0 2.0 3.0 9.9\n"
                "ATOM 7 1.0 2.0 3.0\n"
                "ATOM H1 0.5 0.5 0.5\n"
                "ATOMS X 1 2 3\n"
                "! ATOM in a comment is no ATOM line\n"
                "ATOM C1234567890 1 1 1\n"
                "ATOM O1 -1 -1 -1\n");
    read_platon(s.r.io, s.r, "p.pla");
    const test::RunRecords& r = s.r;
    ASSERT_EQ(r.structure.atom_count, 5);
    EXPECT_EQ(r.structure.label[1], "C1      ");
    EXPECT_EQ(r.structure.cart[1], (Vec3f{1, 2, 3}));
    // a number is no text word: no label, and 7 is the first coordinate
    EXPECT_EQ(r.structure.label[2], "        ");
    EXPECT_EQ(r.structure.cart[2], (Vec3f{7, 1, 2}));
    EXPECT_EQ(r.structure.atomic_number[2], 0);
    EXPECT_EQ(r.structure.label[4], "C1234567");
    // carbon, none, hydrogen, carbon, oxygen
    ASSERT_EQ(r.structure.type_count, 4);
    const int types[4] = {6, 0, 1, 8};
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(r.structure.type_atomic_number[k], types[k - 1]);
    EXPECT_EQ(r.structure.multipole_level[3], 2);
    EXPECT_EQ(r.structure.multipole_level[5], 4);
}

TEST(ReadPlaton, TypeOrderOfFirstAppearance) {
    CartesianSession s;
    s.dir.write("p.pla", "ATOM C1 0 0 0\nATOM H1 1 0 0\nATOM C2 2 0 0\nATOM O1 3 0 0\n");
    read_platon(s.r.io, s.r, "p.pla");
    ASSERT_EQ(s.r.structure.type_count, 3);
    EXPECT_EQ(s.r.structure.type_atomic_number[1], 6);
    EXPECT_EQ(s.r.structure.type_atomic_number[2], 1);
    EXPECT_EQ(s.r.structure.type_atomic_number[3], 8);
}

TEST(ReadPlaton, TooFewNumbersIsARunTimeError) {
    for (const char* line : {"ATOM C1 1.0 2.0", "ATOM C1 1.0 2.0 3.0.0", "ATOM C1 1,0 2.0 3.0"}) {
        CartesianSession s;
        s.dir.write("p.pla", std::string("TITL x\n") + line + "\n");
        try {
            read_platon(s.r.io, s.r, "p.pla");
            ADD_FAILURE() << line;
        } catch (const RunFault& f) {
            EXPECT_NE(std::string(f.what()).find("p.pla, record 2: expected three coordinates"),
                      std::string::npos)
                << f.what();
        }
    }
}

TEST(ReadPlaton, HundredThousandAtomsAndOneMore) {
    std::string text;
    text.reserve(100001 * 24);
    for (int i = 0; i < 100000; ++i) text += "ATOM C1 1.0 2.0 3.0\n";
    {
        CartesianSession s;
        s.dir.write("p.pla", text);
        read_platon(s.r.io, s.r, "p.pla");
        EXPECT_EQ(s.r.structure.atom_count, 100000);
        EXPECT_EQ(s.terminal().back(), " Total atoms read from PLATON file =   100000");
    }
    {
        CartesianSession s;
        s.dir.write("p.pla", text + "ATOM H1 0 0 0\n");
        EXPECT_THROW(read_platon(s.r.io, s.r, "p.pla"), RunStop);
        EXPECT_EQ(s.terminal()[1], " ERROR *** ReadPlaton *** Too many atoms");
    }
}

TEST(ListAtomTypes, SymbolsIncludingUnknownOnes) {
    test::Session s;
    s.r.structure.type_count = 4;
    s.r.structure.type_atomic_number = {0, 1, 52, 94, 0};
    list_atom_types(s.r.io, s.r);
    const std::vector<std::string> want = {
        "",
        " Number of atom types =    4",
        "   atom type = H     atomic number =   1",
        "   atom type = Te    atomic number =  52",
        "   atom type = Pu    atomic number =  94",
        "   atom type = ??    atomic number =   0",
    };
    EXPECT_EQ(s.listing(), want);
}

TEST(ListAtoms, CountsEachFlag) {
    test::Session s;
    s.r.ensure_atoms(4);
    s.r.structure.atom_count = 4;
    const int flags[5] = {0, 1, -1, 0, 5};  // 5 is listed but not counted
    for (int i = 1; i <= 4; ++i) {
        s.r.structure.label[i] = pad("C(" + std::to_string(i) + ")", 8);
        s.r.structure.occupancy_flag[i] = flags[i];
    }
    s.r.structure.frac[1] = Fractional{0.12345f, -0.5f, 1.0f};
    s.r.structure.cart[1] = Cartesian{1.23456f, -12.5f, 100.0f};
    list_atoms(s.r.io, s.r.structure, Files::listing);
    auto lines = s.listing();
    ASSERT_EQ(lines.size(), 2u + 4u + 4u);
    EXPECT_EQ(lines[2],
              "      1  C(1)       0.12345 -0.50000  1.00000     1.2346 -12.5000 100.0000     1");
    EXPECT_EQ(lines[5].substr(lines[5].size() - 6), "     5");
    EXPECT_EQ(lines[7], " FLAG =  0 : normal atoms (     1 )");
    EXPECT_EQ(lines[8], "      =  1 : atoms in special positions (     1 ) ");
    EXPECT_EQ(lines[9], "      = -1 : disordered atoms (     1 ) ");
}

// Whole runs: the lines of the reader from the first it writes.
std::vector<std::string> from(const std::vector<std::string>& lines, const std::string& first,
                              std::size_t before) {
    for (std::size_t k = 0; k < lines.size(); ++k)
        if (lines[k] == first && k >= before) return {lines.begin() + (k - before), lines.end()};
    return {};
}

TEST(CartesianRuns, PlatonFile) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT *platon\nINPUT Methanol.pla\n");
    dir.write("Methanol.pla", fixture("platon/methanol_like.pla"));
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 0) << res.err;
    auto lines = from(test::lines_of(dir.read("kova.out")),
                      " Reading PLATON file : " + pad("Methanol.pla", 60), 2);
    ASSERT_GE(lines.size(), 3u);
    std::vector<std::string> want = {
        "",
        "",
        " Reading PLATON file : " + pad("Methanol.pla", 60),
        "",
        " Number of atom types =    4",
        "   atom type = C     atomic number =   6",
        "   atom type = O     atomic number =   8",
        "   atom type = H     atomic number =   1",
        "   atom type = ??    atomic number =   0",
        "",
        " Total atoms read from PLATON file =        5",
        "",
        kTableHead,
        atom_line(1, "C1", "   0.0000   0.0000   0.0000"),
        atom_line(2, "O1", "   1.4200   0.0000   0.0000"),
        atom_line(3, "H1", "  -0.3600   1.0300   0.0000"),
        atom_line(4, "H2", "  -0.3600  -0.5100   0.8900"),
        atom_line(5, "X1", "   5.0000   5.0000   5.0000"),
        "",
        " FLAG =  0 : normal atoms (     5 )",
        "      =  1 : atoms in special positions (     0 ) ",
        "      = -1 : disordered atoms (     0 ) ",
    };
    ASSERT_GE(lines.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + want.size()), want);
    auto term = test::lines_of(res.out);
    EXPECT_NE(std::find(term.begin(), term.end(), " Total atoms read from PLATON file =        5"),
              term.end());
}

TEST(CartesianRuns, Aim2TabListing) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT *aim2tab\nINPUT water.out\n");
    dir.write("water.out", fixture("aim2tab/water_like.out"));
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 0) << res.err;
    auto term = from(test::lines_of(res.out), " Number of atom types =    3", 1);
    ASSERT_GE(term.size(), 7u);
    EXPECT_EQ(term[2], "   atom type =  1    atomic number =   8");
    EXPECT_EQ(term[6], " Total atoms read from AIM2TAB output file =     4");
    auto lines = from(test::lines_of(dir.read("kova.out")), kTableHead, 1);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[3], atom_line(2, "H1", "   0.5292   1.0584   0.0000"));
    EXPECT_EQ(lines[7], " FLAG =  0 : normal atoms (     4 )");
}

TEST(CartesianRuns, MissingStructureFileEndsThroughFatalError) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT *platon\nINPUT nothere.pla\n");
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 1);
    auto lines = test::lines_of(dir.read("kova.out"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              " ERROR *** ReadPlaton *** Error opening PLATON file nothere.pla: no such file");
}

}  // namespace
}  // namespace kova
