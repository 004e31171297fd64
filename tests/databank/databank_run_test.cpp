// Whole runs with the test databank: L-alanine (a real structure) with Extend_H, RINGS and
// two fragments whose charges CHFRAG gives; the fragments a run takes from kova.inp and where
// a fragment line that does not read stops it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <streambuf>

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

// Standard input that does `first` when the run first reads from it, then gives `answers`.
class InputThatActsFirst : public std::streambuf {
public:
    InputThatActsFirst(std::function<void()> first, std::string answers)
        : first_(std::move(first)), answers_(std::move(answers)) {}
    bool acted() const { return acted_; }

protected:
    int_type underflow() override {
        if (!acted_) {
            acted_ = true;
            first_();
            setg(answers_.data(), answers_.data(), answers_.data() + answers_.size());
        }
        if (gptr() == egptr()) return traits_type::eof();
        return traits_type::to_int_type(*gptr());
    }

private:
    std::function<void()> first_;
    std::string answers_;
    bool acted_ = false;
};

// The two-atom structure, C(1) and O(1), with the test databank beside it.
void two_atoms_with_databank(const test::TempDir& dir) {
    dir.write("two.res", test::two_atom_shelx);
    std::filesystem::copy_file(std::string(KOVA_TEST_DATA) + "/databank/kova_test.db",
                               dir / "kova_test.db");
}

// A run takes its fragments from kova.inp as it stood at the start: kova.inp is rewritten at
// the databank prompt, long before the rescaling, and the run still rescales the two
// fragments it read, with their CHFRAG charges (and so asks for no charge).
TEST(DatabankRun, FragmentsAsKovaInpStoodAtTheStart) {
    test::TempDir dir;
    two_atoms_with_databank(dir);
    const std::string head = "FORMAT *shelx\nINPUT two.res\nDATABANK missing.db\n";
    dir.write("kova.inp", head + "NFRAG 2\nFRAG 1 1\nFRAG 2 2\nCHFRAG 1 -1\n");
    InputThatActsFirst answers(
        [&] { dir.write("kova.inp", head + "NFRAG 1\nFRAG 1 1 -2\n"); }, "kova_test.db\n");
    std::istream in(&answers);
    std::ostringstream out, errs;
    const int status = kova::run(dir.path(), {}, in, out, errs);
    ASSERT_TRUE(answers.acted());
    ASSERT_EQ(status, 0) << errs.str();
    EXPECT_NE(out.str().find(" Enter the name of databank file : "), std::string::npos);
    EXPECT_EQ(out.str().find("Enter net charge"), std::string::npos);
    auto listing = test::lines_of(dir.read("kova.out"));
    // fragment 1 is C(1): F = 4, the charge +1 gives T = 3; fragment 2 is O(1): F = 6, the
    // charge -1 gives T = 7
    const std::vector<std::string> want = {
        " ***** Rescaling Pv's in fragment =   1 *****",
        " Sum-of-Pv[free]     =     4.000000 el.",
        " Rescaling Sum-of-Pv to      3.000000 el.   ( Charge =   +1.000 el. )",
        " ***** Rescaling Pv's in fragment =   2 *****",
        " Sum-of-Pv[free]     =     6.000000 el.",
        " Rescaling Sum-of-Pv to      7.000000 el.   ( Charge =   -1.000 el. )",
    };
    std::vector<std::string> got;
    for (const std::string& l : listing)
        if (l.rfind(" *****", 0) == 0 || l.rfind(" Sum-of-Pv[free]", 0) == 0 ||
            l.rfind(" Rescaling Sum-of-Pv", 0) == 0)
            got.push_back(l);
    EXPECT_EQ(got, want);
    EXPECT_FALSE(has(listing, " Using ALL atoms for fragment 1 !"));
}

// A fragment line that does not read stops a run only where the rescaling comes to it, after
// the frame analysis and the start of the output section; a run without DATABANK never comes
// to it. An NFRAG or CHFRAG line stops the rescaling at its start, a FRAG line when the first
// fragment's atoms are taken.
TEST(DatabankRun, FragmentLinesThatDoNotReadStopTheRescaling) {
    const std::string method = " Using difference method for rescaling...";
    const std::string first = " ***** Rescaling Pv's in fragment =   1 *****";
    struct Case {
        const char* lines;  // from record 4 on, after FORMAT, INPUT and DATABANK or Extend_H
        bool databank;
        int status;
        std::vector<std::string> tail;  // the listing's last lines
    } cases[] = {
        {"NFRAG two\nFRAG 1 1\n", true, 2,
         {"", method,
          "kova: kova.inp, record 4: expected the number of fragments after NFRAG, found "
          "\"NFRAG TWO\""}},
        // the record is the last of the line
        {"NFRAG 1\nFRAG 1 1\nCHFRAG 0 \\\n-\n", true, 2,
         {"", method,
          "kova: kova.inp, record 7: expected the net charges of the fragments on the CHFRAG "
          "line, found \"CHFRAG 0 \\ -\""}},
        {"NFRAG 1\nFRAG 1 1 ! C\nCHFRAG 0\n", true, 1,
         {first, "", " ERROR *** rescalePv *** Error reading fragments from kova.inp", ""}},
        // a FRAG line names its fragment, but stops the run whichever fragment it names
        {"NFRAG 1\nFRAG 1 1\nFRAG 2 2.5\nCHFRAG 0\n", true, 1,
         {first, "", " ERROR *** rescalePv *** Error reading fragments from kova.inp", ""}},
        {"Extend_H\nNFRAG two\nFRAG 1 x\nCHFRAG -\n", false, 0, {}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        two_atoms_with_databank(dir);
        dir.write("kova.inp", std::string("FORMAT *shelx\nINPUT two.res\n") +
                                  (c.databank ? "DATABANK kova_test.db\n" : "") + c.lines);
        auto res = test::run_in(dir);
        EXPECT_EQ(res.status, c.status) << c.lines << res.err;
        auto listing = test::lines_of(dir.read("kova.out"));
        if (c.status == 0) {
            EXPECT_TRUE(dir.exists("xd_kova.inp")) << c.lines;
            continue;
        }
        const auto creating =
            std::find(listing.begin(), listing.end(), " Creating XD parameter file...");
        EXPECT_NE(creating, listing.end()) << c.lines;
        ASSERT_GE(listing.size(), c.tail.size()) << c.lines;
        EXPECT_EQ(std::vector<std::string>(listing.end() - static_cast<long>(c.tail.size()),
                                           listing.end()),
                  c.tail)
            << c.lines;
        EXPECT_EQ(res.err, c.status == 2 ? c.tail.back() + "\n" : "") << c.lines;
        // the run's files are dropped, as at every stop
        EXPECT_FALSE(dir.exists("xd_kova.inp")) << c.lines;
    }
}

}  // namespace
}  // namespace kova
