// Whole runs: which output files a run writes for each option, and how a run ends. The
// structure is a PLATON file without atoms, so that only the writers' own records appear.
#include <algorithm>

#include <gtest/gtest.h>

#include "support.hpp"

namespace kova {
namespace {

const std::string kRule(80, '-');

struct WholeRun {
    test::TempDir dir;
    test::RunResult res;
    explicit WholeRun(const std::string& options) {
        dir.write("empty.pl", "TITL no atoms\n");
        dir.write("xd_kova.inp", "earlier xd_kova.inp\n");
        dir.write("fixedH.ins", "earlier fixedH.ins\n");
        dir.write("res_mopro.inp", "earlier res_mopro.inp\n");
        dir.write("kova.inp", "FORMAT *platon\n" + options);
        res = test::run_in(dir);
    }
    std::vector<std::string> lines(const std::string& name) const {
        return test::lines_of(dir.read(name));
    }
    std::vector<std::string> terminal_tail(std::size_t n) const {
        auto all = test::lines_of(res.out);
        return n <= all.size()
                   ? std::vector<std::string>(all.end() - static_cast<long>(n), all.end())
                   : all;
    }
};

const char* const kAlways[] = {
    " Cartesian coordinates in PLATON format : kova.ang",
    " Reduced structure in PLATON format     : reduced.ang & reduced_1.ang",
    " PLATON plot file with local axes       : kova.spf",
    " Program log file                       : kova.out",
    "",
    " Local axes can be visualized in PLATON using command : platon -p kova.spf",
};

// The plot file of a structure without types and dummies.
void expect_plain_plot_file(const WholeRun& run) {
    auto spf = run.lines("kova.spf");
    ASSERT_EQ(spf.size(), 2u + 1u + 20u + 1u);
    EXPECT_EQ(spf[0], "TITL X-green, Y-yellow, Z-brown, Dummy(D)-orange");
    EXPECT_EQ(spf[1], "ANGSTROM");
    EXPECT_EQ(spf[2], "JOIN RADII   X 0.01  Y 0.01  Z 0.01");
    EXPECT_EQ(spf.back(), "PLOT");
}

TEST(RunOutput, WithoutOutputSectionEarlierFilesStay) {
    WholeRun run("INPUT empty.pl\n");
    EXPECT_EQ(run.res.status, 0) << run.res.err;
    EXPECT_EQ(run.dir.read("xd_kova.inp"), "earlier xd_kova.inp\n");
    EXPECT_EQ(run.dir.read("fixedH.ins"), "earlier fixedH.ins\n");
    EXPECT_EQ(run.dir.read("res_mopro.inp"), "earlier res_mopro.inp\n");
    EXPECT_FALSE(run.dir.exists("reset.bond"));
    // no DUMMY, KAPPA, ATOMS or trailer, no similarity block: neither file gets an end
    EXPECT_EQ(run.lines("mopro_kova.par").size(), 4u);
    EXPECT_EQ(run.lines("con_mopro.inp"),
              (std::vector<std::string>{"!", "! local symmetry  ", "!"}));
    expect_plain_plot_file(run);

    std::vector<std::string> want = {"", " XD instructions are in file            : xd_kova.mas"};
    want.insert(want.end(), std::begin(kAlways), std::end(kAlways));
    want.push_back(" Summary of exceptions    : grep -i 'Exception identified' kova.out");
    auto tail = run.terminal_tail(want.size() + 3);
    EXPECT_EQ(std::vector<std::string>(tail.begin(), tail.end() - 3), want);
    EXPECT_EQ(tail[tail.size() - 3], "");
    EXPECT_EQ(tail[tail.size() - 2].substr(0, 40), " Total program elapsed times u,s,t (s) :");
    EXPECT_EQ(tail[tail.size() - 2].size(), 40u + 3u * 13u);
    EXPECT_EQ(tail.back(), "");

    auto listing = run.lines("kova.out");
    ASSERT_GE(listing.size(), want.size() + 7u);
    EXPECT_EQ(listing.back(), "");
    EXPECT_EQ(listing[listing.size() - 2], kRule);
    EXPECT_EQ(listing[listing.size() - 4].substr(0, 40),
              " Total program elapsed times u,s,t (s) :");
    auto summary = std::vector<std::string>(listing.end() - static_cast<long>(want.size() + 7),
                                            listing.end() - 5);
    want.insert(want.begin(), {"", kRule});
    EXPECT_EQ(summary, want);
}

TEST(RunOutput, ExtendHWritesTheRestraintFilesAndTheOutputSection) {
    WholeRun run("INPUT empty.pl\nEXTEND_H\n");
    EXPECT_EQ(run.res.status, 0) << run.res.err;
    EXPECT_EQ(run.lines("res_mopro.inp"),
              (std::vector<std::string>{"!", "! X-H distances", "!", "!",
                                        "! isotropic H atoms ADPs", "!", "!", "! end", "!"}));
    EXPECT_TRUE(run.dir.exists("reset.bond"));
    EXPECT_TRUE(run.dir.exists("const.bond"));
    EXPECT_EQ(run.dir.read("fixedH.ins"), "");  // no atoms
    auto xd = run.lines("xd_kova.inp");
    ASSERT_EQ(xd.size(), 9u + 3u);
    EXPECT_EQ(xd[6], "USAGE    0 2 4    0 0 1 0 0    1 0 0 0 0    0");  // nsft at least 1
    auto par = run.lines("mopro_kova.par");
    ASSERT_EQ(par.size(), 4u + 6u + 7u);  // head, empty DUMMY KAPPA ATOMS blocks, trailer
    EXPECT_EQ(par[4], "DUMMY   0");
    EXPECT_EQ(par.back(), "STOP ");
    EXPECT_EQ(run.lines("con_mopro.inp").size(), 3u + 6u);
    expect_plain_plot_file(run);

    auto out = test::lines_of(run.res.out);
    auto has = [&](const std::string& l) {
        return std::find(out.begin(), out.end(), l) != out.end();
    };
    EXPECT_TRUE(has(" Creating XD parameter file..."));
    EXPECT_TRUE(has(" XD parameters are in file              : xd_kova.inp"));
    EXPECT_TRUE(has(" Atomic coordinates w/extended H-atoms  : fixedH.ins"));
    EXPECT_TRUE(has(" Summary of X-H distances : grep -i 'x-h' kova.out"));
    EXPECT_FALSE(has(" Summary of DB atom types : grep 'DB comment' kova.out"));
}

TEST(RunOutput, DatabankStatisticsAndSummary) {
    WholeRun run("INPUT empty.pl\nDATABANK " + std::string(KOVA_TEST_DATA) +
                 "/databank/kova_test.db\nCHFRAG 0.0\n");
    EXPECT_EQ(run.res.status, 0) << run.res.err;
    EXPECT_EQ(run.dir.read("fixedH.ins"), "earlier fixedH.ins\n");
    EXPECT_EQ(run.lines("xd_kova.inp").size(), 12u);
    auto out = test::lines_of(run.res.out);
    auto at = [&](const std::string& l) {
        return std::find(out.begin(), out.end(), l) - out.begin();
    };
    const std::string stats =
        " ATOMS SEARCHED in DB, FOUND in DB, NOT FOUND in DB =        0       0       0";
    ASSERT_LT(at(stats), static_cast<long>(out.size()));
    EXPECT_LT(at(" Creating XD parameter file..."), at(stats));
    EXPECT_LT(at(stats), at(" XD parameters are in file              : xd_kova.inp"));
    EXPECT_LT(at(" Summary of DB atom types : grep 'DB comment' kova.out"),
              static_cast<long>(out.size()));
    EXPECT_EQ(at(" Atomic coordinates w/extended H-atoms  : fixedH.ins"),
              static_cast<long>(out.size()));
}

TEST(RunOutput, ToxdWinsOverExtendH) {
    WholeRun run("INPUT empty.pl *toxd\nEXTEND_H\n");
    EXPECT_EQ(run.res.status, 0) << run.res.err;
    EXPECT_FALSE(run.dir.exists("reset.bond"));
    EXPECT_FALSE(run.dir.exists("const.bond"));
    EXPECT_EQ(run.dir.read("res_mopro.inp"), "earlier res_mopro.inp\n");
    EXPECT_EQ(run.dir.read("fixedH.ins"), "earlier fixedH.ins\n");
    EXPECT_EQ(run.lines("xd_kova.inp").size(), 12u);
    auto out = test::lines_of(run.res.out);
    auto has = [&](const std::string& l) {
        return std::find(out.begin(), out.end(), l) != out.end();
    };
    EXPECT_TRUE(has(" XD parameters are in file              : xd_kova.inp"));
    EXPECT_FALSE(has(" Atomic coordinates w/extended H-atoms  : fixedH.ins"));
}

}  // namespace
}  // namespace kova
