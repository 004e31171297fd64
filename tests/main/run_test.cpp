// Whole runs of the main sequence in a fresh directory.
#include <gtest/gtest.h>

#include "support.hpp"

namespace kova {
namespace {

const char* const kBanner[] = {
    "",
    " =======================================================================",
    "   PROGRAM  K O V A  -  AUTOMATIC SETUP OF THE LOCAL COORDINATE SYSTEM",
    " =======================================================================",
    " Program determines the local coordinate system for each atom based on",
    "                connectivity and geometrical parameters",
    " In addition it provides an interface to TAVIREN LAB pseudoatom databank",
    " Sample KOVA input file (kova.inp) can be printed out with : kova -h",
    " -----------------------------------------------------------------------",
    " =======================================================================",
    " =======================================================================",
};

TEST(CommandLine, HelpPrintsBannerAndSampleOnly) {
    for (const char* arg : {"-h", "-help", "-hx"}) {
        test::TempDir dir;
        auto res = test::run_in(dir, {arg});
        EXPECT_EQ(res.status, 0);
        auto lines = test::lines_of(res.out);
        ASSERT_EQ(lines.size(), 11u + 44u) << arg;
        for (int k = 0; k < 11; ++k) EXPECT_EQ(lines[k], kBanner[k]);
        EXPECT_EQ(lines[11], " ");
        EXPECT_EQ(lines[15], "FORMAT  *shelx xd aim2tab platon ");
        EXPECT_EQ(lines[17], "INPUT   l-dopa.shelx   rename 0 toxd ");
        EXPECT_EQ(lines[54], " ");
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

TEST(CommandLine, OtherArgumentsPrintTheBannerOnly) {
    for (const char* arg : {"-H", "x", ""}) {
        test::TempDir dir;
        auto res = test::run_in(dir, {arg});
        EXPECT_EQ(res.status, 0);
        EXPECT_EQ(test::lines_of(res.out).size(), 11u) << arg;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

}  // namespace
}  // namespace kova
