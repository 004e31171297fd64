// The per-atom driver with the real frame decision: a Cartesian water molecule framed from its
// neighbour tables, checked in the XD master file's tables and in kova.ang.
#include "frames/localdef.hpp"

#include <gtest/gtest.h>

#include "frame_fixture.hpp"
#include "topology/neighbours.hpp"

namespace kova {
namespace {

// Water in Å: O–H 0.9578 Å, H–O–H 104.5 degrees.
struct Water : test::FrameRecords {
    Water() : FrameRecords(3) {
        r.ftype.iformat = 5;  // PLATON input
        r.io.create(r.files.imocon, "con_mopro.inp");
        atom(1, "O(1)", 8, {0.0f, 0.0f, 0.1173f});
        atom(2, "H(1)", 1, {0.0f, 0.7572f, -0.4692f});
        atom(3, "H(2)", 1, {0.0f, -0.7572f, -0.4692f});
        for (int i = 1; i <= 3; ++i) r.atoms1.lmx[i] = r.atoms.iz[i] == 1 ? 2 : 4;
        findallneighbors(r);
    }
};

TEST(LocalDef, WaterFillsTheTablesInOrder) {
    Water w;
    w.r.lkeys = Lkeys{true, true, false, true, true, false, true};
    localdef(w.r);
    auto mas = w.lines("xd_kova.mas");
    // header, 3 atoms, the dummy between the H atoms, END ATOM, key header + 3, two kappa
    // sets (O; both H share theirs), 4 tail lines
    ASSERT_EQ(mas.size(), 1u + 3u + 1u + 1u + 4u + 2u + 4u);
    EXPECT_EQ(mas[0].substr(0, 9), "ATOM     ");
    EXPECT_EQ(mas[1].substr(0, 21), "O(1)     DUM1      Z ");  // Z toward the H-H midpoint
    EXPECT_EQ(mas[2].substr(0, 21), "H(1)     O(1)      Z ");
    EXPECT_EQ(mas[3].substr(0, 21), "H(2)     O(1)      Z ");
    EXPECT_EQ(mas[4], "DUM1        0.000000    0.000000   -0.469200");
    EXPECT_EQ(mas[5], "END ATOM");
    // mm2 oxygen, cyl hydrogen atoms, all with coordinate keys
    EXPECT_EQ(mas[7],
              "O(1)    111 111111 0000000000 000000000000000 10 001 10010 1001000 100100010");
    EXPECT_EQ(mas[8],
              "H(1)    111 100000 0000000000 000000000000000 10 001 10000 1000000 100000000");
    EXPECT_EQ(mas[10], "KAPPA   110000");
    EXPECT_EQ(mas[11], "KAPPA   100000");
    EXPECT_EQ(mas.back(), "END KEY");

    auto ang = w.lines("kova.ang");
    ASSERT_EQ(ang.size(), 5u);
    EXPECT_EQ(ang[1].substr(0, 13), "ATOM O(1)    ");
    EXPECT_EQ(ang[4], "ATOM Li(1)  " + std::string("        0.0000        0.0000       -0.4692"));

    auto out = w.lines("kova.out");
    int working = 0;
    for (const auto& l : out)
        if (l.rfind(" Working with atom ", 0) == 0) ++working;
    EXPECT_EQ(working, 3);
    EXPECT_EQ(w.lines("kova.spf").size(), 12u);  // the atom and its three axes, per atom
}

}  // namespace
}  // namespace kova
