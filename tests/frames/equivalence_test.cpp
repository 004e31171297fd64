// The chemical-equivalence test: each comparison, its listed reason, and the ring numbers.
#include "frames/equivalence.hpp"

#include <gtest/gtest.h>

#include "frame_fixture.hpp"

namespace kova {
namespace {

// Neighbour tables need not be mutual: only each atom's own table is compared.
struct Molecules : test::FrameRecords {
    Molecules() : FrameRecords(40) {
        for (int i = 1; i <= 40; ++i) atom(i, "C(" + std::to_string(i) + ")", 6);
        atom(5, "N(5)", 7);
        atom(6, "H(6)", 1);
        atom(7, "H(7)", 1);
        atom(8, "H(8)", 1);
        neighbours(6, {1});
        neighbours(7, {1});
        neighbours(1, {6, 7, 8, 2});   // CH3-C
        neighbours(2, {1, 3, 4, 11});  // C(C)4
        neighbours(3, {6, 2});         // H C
        neighbours(4, {6, 5});         // H N
        neighbours(5, {6, 2});
        neighbours(12, {6, 7, 2});  // H2 C
        neighbours(13, {6, 2, 3});  // H C2
        for (int i = 20; i <= 25; ++i) neighbours(i, {6, 2});
        ring({20, 30, 31, 32, 33, 34}, true);
        ring({21, 30, 31, 32, 33, 35}, false);
        ring({23, 30, 31, 32, 33, 36}, true);  // 23 sits in two planar rings: 6 + 6
        ring({23, 37, 38, 39, 33, 36}, true);
        ring({24, 37, 38, 39, 36, 35}, true);
        ring({25, 30, 31}, true);  // 25 in three rings counts as in none
        ring({25, 32, 33}, true);
        ring({25, 34, 35}, false);
    }
    // The result and the last listing line of one test at VERBOSE 3.
    std::pair<bool, std::string> same(int a, int b, const EquivalenceChecks& checks) {
        r.options.verbosity = 3;
        bool res = atoms_equivalent(r.io, r, a, b, checks);
        auto l = file("kova.out");
        return {res, l.empty() ? std::string() : l.back()};
    }
};

TEST(SameAtoms, EachComparisonAndItsReason) {
    Molecules m;
    const std::string no = "   atoms are NOT chemically equivalent : ";
    const std::string yes = "   YES, these atoms are chemically equivalent !";
    const EquivalenceChecks plain{}, simple{.simple = true}, ring{.ring = true};
    struct Case {
        int a, b;
        EquivalenceChecks checks;
        bool want;
        std::string line;
    };
    const Case cases[] = {
        {6, 7, plain, true, yes},  // two H on the atom being framed
        {3, 5, plain, false, no + " Diff. atomic numbers"},
        {1, 3, plain, false, no + " Diff. number of neighbors"},
        {1, 2, plain, false, no + " Diff. number of neighbor types"},
        {1, 2, simple, true, yes},  // SIMPLE: CH3-C and C(C)4 alike
        // the per-type reasons are written from a 40-character text
        {3, 4, plain, false, no + " Diff. atomic numbers of  2-th type     "},
        {12, 13, plain, false, no + " Diff. num. of nei. of  1-th type       "},
        {3, 4, simple, true, yes},
        // ring numbers: planar 6, non-planar 0, none 0, fused 12, three rings 0
        {20, 24, ring, true, yes},
        {20, 21, ring, false, no + " Diff. ring memb numbers"},
        {21, 22, ring, true, yes},
        {23, 20, ring, false, no + " Diff. ring memb numbers"},
        {25, 22, ring, true, yes},
        {20, 21, plain, true, yes},
        {20, 21, {.simple = true, .ring = true}, true, yes},  // SIMPLE skips the ring test too
    };
    for (const Case& c : cases) {
        auto [res, line] = m.same(c.a, c.b, c.checks);
        EXPECT_EQ(res, c.want) << c.a << " " << c.b;
        EXPECT_EQ(line, c.line) << c.a << " " << c.b;
    }
}

TEST(SameAtoms, SiteSymmetryAndGroupOnlyWhenAsked) {
    Molecules m;
    m.r.structure.site_symmetry[20] = pad("m", 5);
    m.r.structure.site_symmetry[24] = pad("mm2", 5);
    EXPECT_TRUE(m.same(20, 24, {.ring = true}).first);
    EXPECT_EQ(m.same(20, 24, kappa_set_checks).second,
              "   atoms are NOT chemically equivalent :  Diff. local symmetry");
    m.r.structure.site_symmetry[24] = pad("m", 5);
    m.r.frames.group_name[24] = pad("CH-AROMATIC", 40);
    EXPECT_TRUE(m.same(20, 24, {.site_symmetry = true, .ring = true}).first);
    EXPECT_EQ(m.same(20, 24, kappa_set_checks).second,
              "   atoms are NOT chemically equivalent :  Diff. functional groups");
}

TEST(SameAtoms, ListsTheCheckOnlyFromVerboseThree) {
    Molecules m;
    m.r.options.verbosity = 2;
    EXPECT_FALSE(atoms_equivalent(m.r.io, m.r, 3, 5, {}));
    EXPECT_TRUE(atoms_equivalent(m.r.io, m.r, 6, 7, {}));
    EXPECT_TRUE(m.file("kova.out").empty());
    m.r.options.verbosity = 3;
    atoms_equivalent(m.r.io, m.r, 6, 7, {});
    auto l = m.file("kova.out");
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "");
    EXPECT_EQ(l[1], " Checking if atoms H(6) and H(7) are chemically equivalent:");
}

TEST(SameAtoms, RingIndexFollowsANewRingList) {
    Molecules m;
    EXPECT_FALSE(m.same(20, 22, {.ring = true}).first);
    m.ring({22, 40, 39, 38, 37, 36}, true);  // now 22 is in one planar six-ring too
    EXPECT_TRUE(m.same(20, 22, {.ring = true}).first);
}

}  // namespace
}  // namespace kova
