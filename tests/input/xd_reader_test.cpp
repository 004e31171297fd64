// The XD reader on a small master/parameter pair of our own (tests/data/xd).
#include "input/xd_reader.hpp"

#include <cmath>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "shared/fatal.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "support.hpp"

namespace kova {
namespace {

struct Xd : test::Workspace, test::Ending {
    Xd(const std::string& mas, const std::string& par) : Workspace({.listing = true}) {
        dir.write("x.mas", mas);
        dir.write("x.inp", par);
        run_to_end([&] { read_xd(r.io, r, "x.mas", "x.inp"); });
        r.io.close_all();
    }
    std::vector<std::string> listing() { return file("kova.out"); }
    bool listed(const std::string& line) {
        auto l = listing();
        return std::find(l.begin(), l.end(), line) != l.end();
    }
};

std::string fixture(const std::string& name) { return test::data_file("xd/" + name); }

TEST(XdReader, MasterAndParameterFile) {
    Xd t(fixture("p21c_full.mas"), fixture("p21c.inp"));
    ASSERT_FALSE(t.stopped);
    ASSERT_EQ(t.fault, "");
    const test::RunRecords& r = t.r;
    EXPECT_EQ(r.structure.model_name, pad("AMMONIA_", 20));
    ASSERT_EQ(r.structure.atom_count, 3);
    EXPECT_EQ(r.structure.label[1], "O(1)    ");
    EXPECT_EQ(r.structure.atomic_number[2], 6);
    EXPECT_EQ(r.structure.atomic_number[3], 1);
    EXPECT_EQ(r.structure.adp_order[2], 4);
    EXPECT_EQ(r.structure.scattering_table[2], 2);
    EXPECT_EQ(r.structure.multipole_level[3], 2);
    EXPECT_EQ(r.structure.multipole_level[1], 4);
    EXPECT_FLOAT_EQ(r.structure.occupancy[2], 0.5f);
    // U values continue over two records
    EXPECT_FLOAT_EQ(r.structure.uij[1][3], 0.001f);
    EXPECT_FLOAT_EQ(r.structure.uij[1][5], 0.003f);
    // free variables: places 2-8, then 9, then 1
    EXPECT_FLOAT_EQ(r.structure.free_var[2], 0.5f);
    EXPECT_FLOAT_EQ(r.structure.free_var[8], 1.1f);
    EXPECT_FLOAT_EQ(r.structure.free_var[9], 2.0f);
    EXPECT_FLOAT_EQ(r.structure.free_var[1], 1.25f);
    // no LATT A: the card and its inversion partner, identity first
    EXPECT_EQ(r.structure.symmetry.count, 4);
    EXPECT_EQ(r.structure.type_count, 3);
    EXPECT_EQ(r.structure.type_atomic_number[1], 8);
    EXPECT_EQ(r.structure.type_atomic_number[3], 1);
    // beta = 100: x = 5(0.15) + 7 cos(100)(0.35), y = 6(0.25), z = 7 sin(100)(0.35)
    EXPECT_NEAR(r.structure.cart[2][0], 0.324562f, 1e-4);
    EXPECT_NEAR(r.structure.cart[2][1], 1.5f, 1e-5);
    EXPECT_NEAR(r.structure.cart[2][2], 2.412779f, 1e-4);
    EXPECT_TRUE(t.listed(" Reading data from XD master file: " + pad("x.mas", 60)));
    EXPECT_TRUE(
        t.listed(" Cell parameters:      5.000     6.000     7.000   90.00  100.00   90.00"));
    EXPECT_TRUE(t.listed(" Lattice type : P"));
    EXPECT_TRUE(t.listed(" Lattice is CentroSymmetric"));
    EXPECT_TRUE(t.listed(" XD parameter file version =    2"));
    EXPECT_TRUE(t.listed(" Maximum level of multipole expansion =    4"));
    EXPECT_TRUE(t.listed(" Model name = AMMONIA_            "));
    EXPECT_TRUE(t.listed(" Number of atoms in XD parameter file =    3"));
    EXPECT_TRUE(t.listed(" Number kappa sets =    2"));
    EXPECT_TRUE(t.listed(" NO.   ATOM      AT.NO.   ORDER_OF_U     iSFT"));
    EXPECT_TRUE(t.listed("   2   C(1)        6          4            2"));
    EXPECT_NE(t.out.str().find("   3   H(1)        1          2            3\n"),
              std::string::npos);
    // What xd_kova.mas copies of the master file: the 12 lines before "ATOM"; after the old
    // table's "END ATOM" the one line before "KEY "; from "Extcn" (upper-cased) past the
    // old key table and kappa lines, the rest.
    const XdMasterCopy& copy = r.structure.xd_master;
    ASSERT_EQ(copy.head.size(), 12u);
    EXPECT_EQ(copy.head[0], "!" + std::string(77, '+'));  // 78 columns
    EXPECT_EQ(copy.head[2], "TITLE formamide-like test");
    EXPECT_EQ(copy.head[11], "SELECT  model 4 2 1 0 based_on F test verbose 1");
    EXPECT_EQ(copy.refinement, std::vector<std::string>{"KEEP  kappa    1   2"});
    EXPECT_EQ(copy.tail, (std::vector<std::string>{"EXTCN   0000000", "END KEY", "END XDLSM"}));
}

TEST(XdReader, LatticeLines) {
    std::string par = fixture("p21c.inp");
    std::string mas = fixture("p21c_full.mas");
    auto with_latt = [&](const std::string& latt) {
        std::string m = mas;
        m.replace(m.find("LATT   C P"), 10, latt);
        return m;
    };
    {
        Xd t(with_latt("LATT   A P"), par);
        EXPECT_EQ(t.r.structure.symmetry.count, 2);  // acentric, no centring
        EXPECT_TRUE(t.listed(" Lattice is Acentric"));
    }
    {
        Xd t(with_latt("LATT   C I"), par);
        EXPECT_EQ(t.r.structure.symmetry.count,
                  8);  // inversion partners, then I-centring of all four
        EXPECT_TRUE(t.listed(" Lattice type : I"));
    }
    {
        Xd t(with_latt("latt   A P"), par);  // records are compared as read
        EXPECT_EQ(t.r.structure.symmetry.count, 4);
    }
}

TEST(XdReader, VersionOneAndFailures) {
    // version 1: no header, 22 limit numbers on the line after the model line
    std::string v1 =
        "TEST 4 2 1 0\n"
        "2000 31 4 30 0 20 20 2500 1 0 1 0 0 0 0 0 0 0 0 0 0 0\n"
        "scale\nextinction\n"
        "N(1)  2 1 1 2 1 1 1 1 0 0 0  0.1 0.1 0.1 1.0\n"
        " 0.01 0.01 0.01 0 0 0\n"
        " 5.0\n"
        " 1.0 1.0 1.0 1.0 1.0 1.0\n"
        " 0 0 0 0 0 0 0\n 0\n 1.0\n";
    {
        Xd t(fixture("p21c_full.mas"), v1);
        ASSERT_EQ(t.fault, "");
        EXPECT_EQ(t.r.structure.atom_count, 1);
        EXPECT_EQ(t.r.structure.atomic_number[1], 7);
        EXPECT_TRUE(t.listed(" XD parameter file version =    1"));
    }
    {
        Xd t(fixture("p21c.mas") , "TEST 4 2 1 0\n2000 31 4 30 0 20 20 2500 200000 0 1\n");
        EXPECT_FALSE(t.stopped);  // too few limit numbers: unguarded read
        EXPECT_NE(t.fault.find("x.inp, record 2"), std::string::npos) << t.fault;
    }
    {
        Xd t("CELL 1 2 3 90 90 90\n",
             "TEST 4 2 1 0\n1 2 3 4 5 6 7 8 200000 0 1 0 0 0 0 0 0 0 0 0 0 0\n");
        EXPECT_TRUE(t.stopped);
        auto l = t.listing();
        EXPECT_EQ(l[l.size() - 2], " ERROR *** ReadXD *** Too many atoms");
        EXPECT_TRUE(t.listed(" Number of atoms in XD parameter file = ****"));
    }
    {
        Xd t("CELL 1 2 3 90 90 90\n", "TEST 4 2 1 0\n");
        EXPECT_TRUE(t.stopped);
        auto l = t.listing();
        EXPECT_EQ(l[l.size() - 2], " ERROR *** ReadXD *** Error reading XD parameter file");
    }
}

// An old master file as the copying rules read it: head, atom table, refinement block, key
// table, tail. Lines are cut to 200 characters and lose their trailing blanks.
const std::string kOldMaster =
    "! head of the old file\n"
    "TITLE water   \n"
    "\n"
    "   MODULE *XDLSM\n"
    " ATOM    a header that is not in column 1\n"
    "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP TBL KAP LMX SITESYM  CHEMCON\n"
    "O(1)     DUM1     Z  O(1)     H(1)     Y   R   2  1   1   4  mm2\n"
    "DUM1      0.0 0.0 0.0\n"
    "end atom\n"
    "END XDLSM is no key table\n"
    "key and KEYS are no key table either\n"
    "KEYS follow\n"
    "\n"
    "KEY     XYZ --U2-- ----U3---- ------U4------- M- -D- --Q-- ---O--- ----H----\n"
    "O(1)    111 111111 0000000000 000000000000000 10 001 10010 1001000 100100010\n"
    "EXTCNX  is not the line\n"
    "KAPPA   110000\n"
    "extcn   0000000 iso\n"
    "OVTHP   0\n"
    "extcn stays as written after the first\n"
    "SCALE   1   \n"
    "END KEY\n"
    "   END XDLSM\n" +
    std::string(250, 'x') + "\n";

TEST(XdMasterCopy, TheCopyingRulesSelectHeadRefinementAndTail) {
    const XdMasterCopy copy = select_master_copy(InFile("old.mas", kOldMaster));
    // up to the first line with "ATOM" in columns 1-4, compared as read
    EXPECT_EQ(copy.head, (std::vector<std::string>{"! head of the old file", "TITLE water", "",
                                                  "   MODULE *XDLSM",
                                                  " ATOM    a header that is not in column 1"}));
    // after the first "END " (upper-cased: "end atom"), up to "KEY " compared as read
    EXPECT_EQ(copy.refinement,
              (std::vector<std::string>{"END XDLSM is no key table",
                                        "key and KEYS are no key table either", "KEYS follow",
                                        ""}));
    // from the first "EXTCN " (upper-cased, "EXTCNX" is not it), which alone is upper-cased
    EXPECT_EQ(copy.tail, (std::vector<std::string>{
                             "EXTCN   0000000 ISO", "OVTHP   0",
                             "extcn stays as written after the first", "SCALE   1", "END KEY",
                             "   END XDLSM", std::string(200, 'x')}));
}

TEST(XdMasterCopy, RulesThatMeetTheirLinesAtOnce) {
    // the table ends on the line after "ATOM", the key table on the line after that, and the
    // tail is the last line: nothing between them
    const XdMasterCopy copy =
        select_master_copy(InFile("old.mas", "ATOM\nEND\nKEY \nEXTCN\n"));
    EXPECT_EQ(copy.head, std::vector<std::string>{});
    EXPECT_EQ(copy.refinement, std::vector<std::string>{});
    EXPECT_EQ(copy.tail, std::vector<std::string>{"EXTCN"});
}

// A file that ends before the line a rule looks for cuts the copy short: the part it lacks and
// the run-time error on the record after its last (the old master file has 24 records), which
// the writer raises when it comes to that part.
TEST(XdMasterCopy, AFileWithoutTheLineARuleSeeksCutsTheCopyShort) {
    using Part = XdMasterCopy::Part;
    auto changed = [](const std::string& line, const std::string& instead) {
        std::string text = kOldMaster;
        text.replace(text.find(line), line.size(), instead);
        return text;
    };
    const std::string eof = "end of file, expected a line beginning ";
    const struct {
        std::string text;
        Part part;
        std::string fault;
    } cases[] = {
        {"", Part::head, "old.mas, record 1: " + eof + "\"ATOM\""},
        {changed("ATOM     ATOM0", "atom     ATOM0"), Part::head,
         "old.mas, record 25: " + eof + "\"ATOM\""},
        // "ENDATOM" and "  END" are no "END " line
        {"ATOM\nENDATOM\n  END\nKEY \nEXTCN\n", Part::refinement,
         "old.mas, record 6: " + eof + "\"END \""},
        {changed("KEY     XYZ", "key     XYZ"), Part::refinement,
         "old.mas, record 25: " + eof + "\"KEY \""},
        {"ATOM\nEND\nKEY \nKEY \nEXTCNX\n", Part::tail,
         "old.mas, record 6: " + eof + "\"EXTCN \""},
    };
    for (const auto& c : cases) {
        const XdMasterCopy copy = select_master_copy(InFile("old.mas", c.text));
        EXPECT_EQ(copy.cut_short, c.part) << c.fault;
        EXPECT_EQ(copy.cut_short_fault, c.fault);
    }
    EXPECT_EQ(select_master_copy(InFile("old.mas", kOldMaster)).cut_short, Part::none);
}

// A master file too short for the copy ends the run where the copy comes to the part it
// lacks, as a copy from the file on disk would: the head before any atom is framed, the
// refinement block once every atom is (their atom-table lines are in the listing).
TEST(XdReader, AMasterFileTooShortForTheCopyEndsTheRunAtThatPart) {
    struct Case {
        const char* what;
        std::string from, to;  // the change made to the fixture
        std::string fault;
        bool framed;
    };
    const std::string eof = "end of file, expected a line beginning ";
    const Case cases[] = {
        {"no atom table header", "ATOM     ATOM0", "atom     ATOM0",
         "x.mas, record 28: " + eof + "\"ATOM\"", false},
        {"no key table", "KEY ", "key ", "x.mas, record 28: " + eof + "\"KEY \"", true},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::string mas = fixture("p21c_full.mas");
        mas.replace(mas.find(c.from), c.from.size(), c.to);
        dir.write("x.mas", mas);
        dir.write("x.inp", fixture("p21c.inp"));
        dir.write("kova.inp", "FORMAT *xd\nINPUT x.mas x.inp\n");
        auto res = test::run_in(dir);
        EXPECT_EQ(res.status, 2) << c.what;
        EXPECT_EQ(res.err, "kova: " + c.fault + "\n") << c.what;
        auto listing = test::lines_of(dir.read("kova.out"));
        ASSERT_FALSE(listing.empty());
        EXPECT_EQ(listing.back(), "kova: " + c.fault) << c.what;
        // the atom-table line of H(1): its label first, then the eleven columns ATOM0 to
        // SITESYM
        const bool framed = std::any_of(listing.begin(), listing.end(), [](const std::string& l) {
            std::istringstream in(l);
            std::vector<std::string> w{std::istream_iterator<std::string>(in), {}};
            return w.size() >= 12 && w[0] == "H(1)";
        });
        EXPECT_EQ(framed, c.framed) << c.what;
    }
}

TEST(XdReader, MissingFiles) {
    test::Workspace w({.listing = true, .errors_on_terminal = true});
    test::RunRecords& r = w.r;
    EXPECT_THROW(read_xd(r.io, r, "none.mas", "x.inp"), RunStop);
    // The name follows the text at once, then why the file does not open.
    EXPECT_NE(w.out.str().find(" ERROR *** ReadXD *** Error opening XD master filenone.mas: "
                               "no such file\n"),
              std::string::npos)
        << w.out.str();
}

}  // namespace
}  // namespace kova
