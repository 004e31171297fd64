#include "shared/format.hpp"

#include <gtest/gtest.h>

namespace kova {
namespace {

struct FCase {
    float v;
    int w, d;
    const char* want;
};

TEST(Format, FixedPoint) {
    const FCase cases[] = {
        {0.05f, 5, 3, "0.050"},     {-0.05f, 5, 3, "-.050"},   {-0.0001f, 6, 3, "-0.000"},
        {0.125f, 5, 2, " 0.12"},    {0.375f, 5, 2, " 0.38"},   {0.0f, 3, 2, ".00"},
        {1000.0f, 9, 5, "*********"}, {-99.99999f, 9, 5, "-99.99999"}, {12.5f, 4, 2, "****"},
        {1.0f, 8, 3, "   1.000"},   {5.0f, 4, 0, "  5."},      {-1.5f, 6, 1, "  -1.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(ff(c.v, c.w, c.d), c.want) << c.v << " F" << c.w << "." << c.d;
}

TEST(Format, SignedFixedPoint) {
    EXPECT_EQ(fsp(1.0f, 8, 3), "  +1.000");
    EXPECT_EQ(fsp(0.0f, 8, 3), "  +0.000");
    EXPECT_EQ(fsp(-2.5f, 8, 3), "  -2.500");
}

TEST(Format, Exponent) {
    const FCase cases[] = {
        {1.0f, 11, 4, " 0.1000E+01"}, {0.0f, 11, 4, " 0.0000E+00"}, {1.0e-30f, 11, 4, " 0.1000E-29"},
        {1.0f, 9, 4, ".1000E+01"},    {-1.0f, 10, 4, "-.1000E+01"}, {123.456f, 11, 4, " 0.1235E+03"},
        {-0.0f, 11, 4, "-0.0000E+00"}, {-0.0f, 9, 4, "*********"},
    };
    for (const auto& c : cases) EXPECT_EQ(fe(c.v, c.w, c.d), c.want) << c.v;
}

TEST(Format, IntegerAndText) {
    EXPECT_EQ(fi(1000, 3), "***");
    EXPECT_EQ(fi(-12, 4), " -12");
    EXPECT_EQ(fi(0, 2), " 0");
    EXPECT_EQ(fa("ab", 4), "  ab");
    EXPECT_EQ(fa("abcd", 2), "ab");
    EXPECT_EQ(fx(3), "   ");
    EXPECT_EQ(pad("abc", 5), "abc  ");
    EXPECT_EQ(pad("abcdef", 3), "abc");
    EXPECT_TRUE(same_text("ab", "ab   "));
    EXPECT_FALSE(same_text("ab", "abc"));
}

TEST(Format, FreeFormatLines) {
    EXPECT_EQ((FreeLine() << " ityp  = " << 6).str(), "  ityp  =            6");
    EXPECT_EQ((FreeLine() << " lPG   = " << true).str(), "  lPG   =  T");
    EXPECT_EQ((FreeLine() << "type = " << 2 << " atom = " << 6).str(),
              " type =            2  atom =            6");
    // checked against gfortran: a leading integer takes the record's own blank
    EXPECT_EQ((FreeLine() << 3 << 4).str(), "           3           4");
    EXPECT_EQ((FreeLine() << "a" << 1.0f << "b").str(), " a   1.00000000     b");
    EXPECT_EQ(free_real(0.1f), " 0.100000001    ");
    EXPECT_EQ(free_real(1.0e9f), "  1.00000000E+09");
    EXPECT_EQ(free_real(-1.234e-5f), " -1.23399996E-05");
}

}  // namespace
}  // namespace kova
