// Whole runs through the topology stages: a benzene ring of which half is read, completed by
// the inversion centre it sits on, then the reduced table, the ring search and the neighbours.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support.hpp"

namespace kova {
namespace {

const std::string kFixture = std::string(KOVA_TEST_DATA) + "/shelx/benzene_on_inversion_centre.res";

test::RunResult run_benzene(test::TempDir& dir, const std::string& options) {
    std::filesystem::copy_file(kFixture, dir / "benzene.res");
    dir.write("kova.inp", "FORMAT  *shelx\nINPUT   benzene.res\n" + options);
    return test::run_in(dir);
}

// Index of the first line that begins with `head`, or the number of lines.
std::size_t find(const std::vector<std::string>& lines, const std::string& head,
                 std::size_t from = 0) {
    for (std::size_t k = from; k < lines.size(); ++k)
        if (lines[k].rfind(head, 0) == 0) return k;
    return lines.size();
}

TEST(TopologyRun, HalfBenzeneCompletedAndItsRingFound) {
    test::TempDir dir;
    auto res = run_benzene(dir, "NCELLS  0\nRINGS  3  8\n");
    ASSERT_EQ(res.status, 0) << res.err;
    auto l = test::lines_of(dir.read("kova.out"));

    // The inversion images of C1, C2, C3 (at 180, 240 and 300 degrees) join in that order:
    // each is 1.4 Å from an atom already in the list.
    std::size_t c = find(l, " List of atoms in complete fragment(s) :");
    ASSERT_LT(c + 9, l.size());
    for (int k = 4; k <= 6; ++k) {
        const std::string& row = l[c + 2 + static_cast<std::size_t>(k)];
        EXPECT_EQ(row.substr(0, 15),
                  "     " + std::to_string(k) + " C(" + std::to_string(k - 3) + ")    ")
            << row;
        EXPECT_EQ(row.substr(row.size() - 12), "       " + std::to_string(k - 3) + "   0")
            << row;  // ISQ, NSQ
    }
    auto ang = test::lines_of(dir.read("complete.ang"));
    ASSERT_EQ(ang.size(), 6u);
    // "ATOM " + the label right-justified in 10 + 3 blanks + F12.4
    EXPECT_EQ(ang[3].substr(0, 30), std::string("ATOM ") + "  C(1)    " + "   " + "     -1.4000");

    // No atom has fewer than two links: one cycle removes nothing, the ring is walked from 1.
    std::size_t t = find(l, " CREATING CONNECTIVITY TABLE AND ELIMINATING OPEN ATOMS");
    EXPECT_LT(c, t);
    EXPECT_EQ(l[t + 2], " **** ELIMINATION CYCLE =    0     NUMBER OF ATOMS =      6");
    EXPECT_EQ(l[t + 3], "        NUMBER OF ATOMS REMOVED FROM THE TABLE =       0");
    std::size_t ring = find(l, " **********  FOUND RING #    1 --->   6 - MEMBERED  **********", t);
    ASSERT_LT(ring + 3, l.size());
    EXPECT_EQ(l[ring + 2], "  C(1)      C(2)      C(3)      C(1)      C(2)      C(3)    ");
    EXPECT_EQ(l[ring + 3], "     1         2         3         4         5         6    ");
    EXPECT_LT(find(l, "     This ring is planar = .T.", ring), l.size());
    std::size_t total = find(l, " TOTAL RINGS FOUND (nor)  =      1", ring);
    std::size_t timing = find(l, " Timing for ring search u,s,t (s) :", total);
    std::size_t nei = find(l, " IDENTIFYING COVALENTLY-BONDED NEIGHBORS FOR EACH ATOM", timing);
    EXPECT_LT(nei, l.size());
    EXPECT_EQ(l[timing - 1], "");
    EXPECT_EQ(l[timing].size(), 35u + 3 * 13);  // three times 1X, F12.1
    EXPECT_LT(find(l, " Atom #      6 = C(3)     :", nei), l.size());

    EXPECT_EQ(test::lines_of(dir.read("reduced.ang")).size(), 7u);
    auto red1 = test::lines_of(dir.read("reduced_1.ang"));
    ASSERT_EQ(red1.size(), 7u);
    EXPECT_EQ(red1[6].substr(0, 13), "ATOM C6      ");

    // The terminal has the total, then the timing.
    auto out = test::lines_of(res.out);
    EXPECT_LT(find(out, " TOTAL RINGS FOUND (nor)  =      1"),
              find(out, " Timing for ring search u,s,t (s) :"));
    EXPECT_LT(find(out, " Timing for ring search u,s,t (s) :"), out.size());
}

TEST(TopologyRun, WithoutRingsNoTableNoTiming) {
    test::TempDir dir;
    auto res = run_benzene(dir, "NCELLS  0\n");
    ASSERT_EQ(res.status, 0) << res.err;
    auto l = test::lines_of(dir.read("kova.out"));
    EXPECT_EQ(find(l, " Timing for ring search"), l.size());
    EXPECT_EQ(find(l, " CREATING CONNECTIVITY TABLE"), l.size());
    EXPECT_FALSE(dir.exists("reduced.ang"));
    EXPECT_TRUE(dir.exists("complete.ang"));

    test::TempDir plain;  // no NCELLS: the atoms read are the working list
    res = run_benzene(plain, "RINGS  3  8\n");
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_FALSE(plain.exists("complete.ang"));
    l = test::lines_of(plain.read("kova.out"));
    EXPECT_LT(find(l, " THERE ARE NO ATOMS IN THE REDUCED CONNECTIVITY TABLE"), l.size());
    EXPECT_EQ(find(l, " Atom #      4 ="), l.size());
}

}  // namespace
}  // namespace kova
