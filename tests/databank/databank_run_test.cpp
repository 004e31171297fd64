// A whole run with the test databank: L-alanine (a real structure) with Extend_H, RINGS and
// two fragments whose charges CHFRAG gives.
#include <gtest/gtest.h>

#include <algorithm>

#include "support.hpp"

namespace kova {
namespace {

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DatabankRun, AlanineWithTwoChargedFragments) {
    const auto src = test::real_structure("shx-l-alanine-23k/iam.res");
    if (src.empty()) GTEST_SKIP() << test::absent_structure("shx-l-alanine-23k/iam.res");
    test::TempDir dir;
    std::filesystem::copy_file(src, dir / "iam.res");
    std::filesystem::copy_file(std::string(KOVA_TEST_DATA) + "/databank/kova_test.db",
                               dir / "kova_test.db");
    // atoms: 1 O1, 2 O2, 3 N1, 4-6 H1-H3 (on N1), 7 C1, 8 H4, 9 C2, 10-12 H5-H7, 13 C3
    dir.write("kova.inp",
              "FORMAT  *shelx\nINPUT   iam.res\nDATABANK kova_test.db\nExtend_H\nRINGS 3 8\n"
              "NFRAG 2\nFRAG 1 3 -6\nFRAG 2 1 2 7 -13\nCHFRAG 1 -1\n");
    auto res = test::run_in(dir);
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_EQ(res.out.find("Enter net charge"), std::string::npos);
    auto out = test::lines_of(dir.read("kova.out"));

    // every atom finds its entry: carboxylate O and C, the ammonium N and its H atoms, the
    // C alpha named "ammonium" by its N, the methyl group
    EXPECT_TRUE(
        has(out, " ATOMS SEARCHED in DB, FOUND in DB, NOT FOUND in DB =       13      13       0"));
    EXPECT_TRUE(has(out, " DB comment for O(1) = [O carboxylate]"));
    EXPECT_TRUE(has(out, " DB comment for N(1) = [N ammonium on one C]"));
    EXPECT_TRUE(has(out, " DB comment for H(2) = [H of an ammonium N]"));
    EXPECT_TRUE(
        has(out, " DB comment for C(1) = [C alpha of an ammonium N, bonded to N, C, C and H]"));
    EXPECT_TRUE(has(out, " DB comment for H(4) = [H of a methine C]"));
    EXPECT_TRUE(has(out, " DB comment for C(2) = [C methyl, first of two entries of one pattern]"));
    EXPECT_TRUE(has(out, " DB comment for C(3) = [C carboxylate]"));
    EXPECT_TRUE(has(out, " Functional group = [CARBOXYLATE]"));

    // fragment 1, NH3: S = 4.31 + 3 * 0.76 = 6.59, F = 5 + 3 = 8, T = 8 - 1 = 7,
    // Corr = (7 - 6.59) / 4 = 0.1025
    EXPECT_TRUE(has(out, " Using difference method for rescaling..."));
    EXPECT_TRUE(has(out, " Sum-of-Pv[databank] =     6.590000 el."));
    EXPECT_TRUE(has(out, " Rescaling Sum-of-Pv to      7.000000 el.   ( Charge =   +1.000 el. )"));
    EXPECT_TRUE(
        has(out, "     3  N(1)       1.000     4.31000     5.00000    +0.10250     4.41250"));
    EXPECT_TRUE(
        has(out, "     6  H(3)       1.000     0.76000     1.00000    +0.10250     0.86250"));
    EXPECT_TRUE(
        has(out, "                    SUM      6.59000     8.00000     0.41000     7.00000"));
    // fragment 2: S = 2 * 6.23 + 3.912 + 0.91 + 4.133 + 3 * 0.94 + 3.927 = 28.162, F = 28,
    // T = 29, Corr = 0.838 / 9 = 0.09311
    EXPECT_TRUE(has(out, " Rescaling Sum-of-Pv to     29.000000 el.   ( Charge =   -1.000 el. )"));
    EXPECT_TRUE(
        has(out, "    13  C(3)       1.000     3.92700     4.00000    +0.09311     4.02011"));
    EXPECT_TRUE(
        has(out, "                    SUM     28.16200    28.00000     0.83800    29.00000"));

    // both parameter files carry the rescaled populations
    const std::string xd = dir.read("xd_kova.inp");
    const std::string mopro = dir.read("mopro_kova.par");
    EXPECT_NE(xd.find("\n  4.4125  "), std::string::npos);
    EXPECT_NE(xd.find("\n  4.0201  "), std::string::npos);
    EXPECT_NE(mopro.find("\n 4.41250 "), std::string::npos);
    EXPECT_NE(mopro.find("\n 0.86250 "), std::string::npos);
}

}  // namespace
}  // namespace kova
