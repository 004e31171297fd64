// The XD reader on a small master/parameter pair of our own (tests/data/xd).
#include "input/xd_reader.hpp"

#include <cmath>

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
    Xd t(fixture("p21c.mas"), fixture("p21c.inp"));
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
}

TEST(XdReader, LatticeLines) {
    std::string par = fixture("p21c.inp");
    std::string mas = fixture("p21c.mas");
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
        Xd t(fixture("p21c.mas"), v1);
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
