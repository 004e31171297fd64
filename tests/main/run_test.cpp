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

namespace kova {
namespace {

TEST(Road, EmptyDirectoryEndsAtTheInstructionFile) {
    test::TempDir dir;
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 1);  // err: a failed run
    EXPECT_EQ(res.err, "");
    auto term = test::lines_of(res.out);
    ASSERT_EQ(term.size(), 14u);
    for (int k = 0; k < 11; ++k) EXPECT_EQ(term[k], kBanner[k]);
    EXPECT_EQ(term[11], "");
    EXPECT_EQ(term[12],
              " ERROR *** ReadInp *** Unable to open KOVA input file kova.inp: no such file");
    EXPECT_EQ(term[13], "");
    // the listing: banner, then the same three error lines; a run that stops leaves no other
    // file behind, not even under a temporary name
    EXPECT_EQ(dir.read("kova.out"), res.out);
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"kova.out"});
}

TEST(Road, ListingThatCannotBeCreatedIsARunTimeError) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "kova.out");  // a directory where a file must go
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 2);
    EXPECT_EQ(res.err, "kova: kova.out: cannot create the file: Is a directory\n");
}

}  // namespace
}  // namespace kova
