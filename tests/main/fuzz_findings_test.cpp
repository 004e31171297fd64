// Regression tests of faults found while fuzzing (fuzz/): each the smallest input that shows
// the fault, run the way a fuzz target runs it, named after what broke.
#include <gtest/gtest.h>

#include "support.hpp"

namespace kova {
namespace {

bool has_line(const std::string& text, const std::string& line) {
    for (const auto& l : test::lines_of(text))
        if (l == line) return true;
    return false;
}

// The dummy count of the USAGE line, near the top of int, overflowed the count of the
// records passed over (UndefinedBehaviorSanitizer: signed integer overflow).
TEST(FuzzFindings, XdDummyCountAtTheTopOfInt) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT *xd\nINPUT x.mas x.inp\n");
    dir.write("x.mas", "CELL 5 6 7 90 90 90\n");
    dir.write("x.inp",
              "XDPARFILE VERSION 2\n"
              "M 4 2 1 0\n"
              "LIMITS 1 2 3 4 5 6 7 8\n"
              "USAGE 1 0 0 0 0 0 0 0 0 0 0 0 0 2147483647\n");
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 2);
    EXPECT_EQ(res.err, "kova: x.inp, record 5: end of file while reading the dummy-atom records\n");
}

// NCELLS with the lowest int: its absolute value is no int (undefined in std::abs and in
// the negation of the listing). The count is kept as the highest int; the signed field of
// the listing is SP,I3, so a count of 100 or more shows "***" there, not its first digits.
TEST(FuzzFindings, NcellsBeyondTheListingAndTheLowestInt) {
    struct Case {
        const char* ncells;
        const char* line;
    };
    const Case cases[] = {
        {"-2147483648", " Search for complete fragments within *** ... *** unit cells"},
        {"100", " Search for complete fragments within *** ... *** unit cells"},
        {"-99", " Search for complete fragments within -99 ... +99 unit cells"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        dir.write("kova.inp",
                  std::string("FORMAT *platon\nINPUT p.pla\nNCELLS ") + c.ncells + "\n");
        dir.write("p.pla", "");
        auto res = test::run_in(dir);
        EXPECT_EQ(res.status, 0) << c.ncells;
        EXPECT_TRUE(has_line(dir.read("kova.out"), c.line)) << c.ncells;
    }
}

// An AIM2TAB count line without an atom table after it gave that many unnamed atoms, all
// at the origin; 35982 of them kept the neighbour search busy for minutes (a timeout).
TEST(FuzzFindings, Aim2TabCountWithoutItsTable) {
    struct Case {
        const char* listing;
        const char* err;
    };
    const Case cases[] = {
        {" NUMBER OF ATOMS READ =  35982\n",
         "kova: a.out, record 1: expected an atom table for the 35982 atoms counted, found none\n"},
        // a later count larger than the table read before it
        {" NUMBER OF ATOMS READ =      1\n NO. ATOM       AT.MASS\n ---\n"
         "    1O1        15.9994     0.0000   0.0000   0.0000\n"
         " NUMBER OF ATOMS READ =      2\n",
         "kova: a.out, record 5: expected an atom table for the 2 atoms counted, found one of 1\n"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        dir.write("kova.inp", "FORMAT *aim2tab\nINPUT a.out\n");
        dir.write("a.out", c.listing);
        auto res = test::run_in(dir);
        EXPECT_EQ(res.status, 2);
        EXPECT_EQ(res.err, c.err);
    }
    {
        // a smaller later count keeps the atoms the table gave
        test::TempDir dir;
        dir.write("kova.inp", "FORMAT *aim2tab\nINPUT a.out\n");
        dir.write("a.out",
                  " NUMBER OF ATOMS READ =      2\n NO. ATOM       AT.MASS\n ---\n"
                  "    1O1        15.9994     0.0000   0.0000   0.0000\n"
                  "    2H1         1.0079     1.8000   0.0000   0.0000\n"
                  " NUMBER OF ATOMS READ =      1\n");
        auto res = test::run_in(dir);
        EXPECT_EQ(res.status, 0) << res.err;
        EXPECT_TRUE(has_line(res.out, " Total atoms read from AIM2TAB output file =     1"));
    }
}

}  // namespace
}  // namespace kova
