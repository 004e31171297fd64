#include "shared/format.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

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
    for (const auto& c : cases)
        EXPECT_EQ(ff(c.v, c.w, c.d), c.want) << c.v << " F" << c.w << "." << c.d;
}

// Fw.d as the C library's %.*f rounds it (the exact binary value, ties to the even digit),
// kept plain here to check the integer path of the writer against.
std::string printf_fixed(double v, int w, int d, bool plus) {
    char buf[600];
    int n = std::snprintf(buf, 512, "%.*f", d, v);
    std::string s(buf, static_cast<std::size_t>(n));
    if (d == 0) s += '.';
    bool neg = s[0] == '-';
    std::string body = neg ? s.substr(1) : s;
    std::string sign = neg ? "-" : (plus ? "+" : "");
    if (static_cast<int>(sign.size() + body.size()) > w && body.size() > 1 && body[0] == '0' &&
        body[1] == '.')
        body.erase(0, 1);
    s = sign + body;
    if (static_cast<int>(s.size()) > w)
        return std::string(static_cast<std::size_t>(std::max(w, 0)), '*');
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

TEST(Format, FixedPointRoundsAsPrintfDoes) {
    std::mt19937_64 g(3);
    std::uniform_int_distribution<int> dd(0, 12), exp(-40, 40);
    auto check = [](double v, int w, int d) {
        ASSERT_EQ(ffd(v, w, d), printf_fixed(v, w, d, false)) << v << " F" << w << "." << d;
        if (std::isfinite(static_cast<float>(v))) {
            ASSERT_EQ(fsp(static_cast<float>(v), w, d),
                      printf_fixed(static_cast<float>(v), w, d, true))
                << v << " SP,F" << w << "." << d;
        }
    };
    for (int k = 0; k < 50000; ++k) {
        // any float bit pattern, then values of every size, then exact ties of d decimals
        const float f = std::bit_cast<float>(static_cast<std::uint32_t>(g()));
        if (std::isfinite(f)) {
            ASSERT_EQ(ff(f, 14, dd(g)).size(), 14u);
        }
        const int d = dd(g);
        if (std::isfinite(f)) check(f, 50, d);
        const double x = std::ldexp(static_cast<double>(g() >> 11), exp(g) - 53) * (k % 2 ? -1 : 1);
        check(x, 60, d);
        check(x, 7, d);
        const double tie = (static_cast<double>(g() % 20000) + 0.5) / std::pow(10.0, d % 4);
        check(tie, 12, d % 4);
        check(static_cast<float>(tie), 12, d % 4);
    }
    for (double v :
         {0.0, -0.0, 0.5, 1.5, 2.5, -0.5, 1e38, -3.4e38, 1e300, 5e-324, 0.049999999999999996})
        for (int d : {0, 1, 3, 18, 19, 25}) check(v, 40, d);
}

// The appending forms add the same field after what the record holds already.
TEST(Format, FieldsAppendedToARecord) {
    const FCase cases[] = {
        {2.5f, 6, 2, "  2.50"}, {0.625f, 4, 2, "0.62"},  {0.875f, 5, 2, " 0.88"},  // ties to even
        {-0.0f, 5, 2, "-0.00"}, {-0.004f, 4, 2, "-.00"}, {0.5f, 3, 2, ".50"},
        {123.0f, 5, 2, "*****"}, {-9.5f, 4, 1, "-9.5"},  {7.0f, 3, 0, " 7."},
    };
    for (const auto& c : cases) {
        std::string rec = "R:";
        put_ff(rec, c.v, c.w, c.d);
        EXPECT_EQ(rec, std::string("R:") + c.want) << c.v << " F" << c.w << "." << c.d;
    }
    std::string rec = "A";
    put_fi(rec, -12, 4);
    put_fi(rec, 1000, 3);
    put_fa(rec, "abcd", 2);
    put_fa(rec, "ab", 4);
    put_pad(rec, "abcdef", 3);
    put_pad(rec, "ab", 4);
    put_trim(rec, "xy  ");
    put_trim(rec, "   ");
    EXPECT_EQ(rec, "A -12***ab  ababcab  xy");
}

TEST(Format, SignedFixedPoint) {
    EXPECT_EQ(fsp(1.0f, 8, 3), "  +1.000");
    EXPECT_EQ(fsp(0.0f, 8, 3), "  +0.000");
    EXPECT_EQ(fsp(-2.5f, 8, 3), "  -2.500");
}

TEST(Format, Exponent) {
    const FCase cases[] = {
        {1.0f, 11, 4, " 0.1000E+01"},     {0.0f, 11, 4, " 0.0000E+00"},
        {1.0e-30f, 11, 4, " 0.1000E-29"}, {1.0f, 9, 4, ".1000E+01"},
        {-1.0f, 10, 4, "-.1000E+01"},     {123.456f, 11, 4, " 0.1235E+03"},
        {-0.0f, 11, 4, "-0.0000E+00"},    {-0.0f, 9, 4, "*********"},
    };
    for (const auto& c : cases) EXPECT_EQ(fe(c.v, c.w, c.d), c.want) << c.v;
}

TEST(Format, IntegerAndText) {
    EXPECT_EQ(fi(1000, 3), "***");
    EXPECT_EQ(fi(-12, 4), " -12");
    EXPECT_EQ(fi(0, 2), " 0");
    // the grown form: Iw while the number fits, the number in full when it does not
    const struct {
        long long v;
        int w;
        const char* want;
    } grown[] = {{7, 3, "  7"}, {999, 3, "999"}, {1000, 3, "1000"}, {-999, 4, "-999"},
                 {-1000, 4, "-1000"}, {100000, 4, "100000"}};
    for (const auto& c : grown) {
        EXPECT_EQ(fi_grown(c.v, c.w), c.want) << c.v << " I" << c.w;
        std::string rec = "R";
        put_fi_grown(rec, c.v, c.w);
        EXPECT_EQ(rec, std::string("R") + c.want) << c.v << " I" << c.w;
    }
    EXPECT_EQ(fa("ab", 4), "  ab");
    EXPECT_EQ(fa("abcd", 2), "ab");
    EXPECT_EQ(fx(3), "   ");
    EXPECT_EQ(pad("abc", 5), "abc  ");
    EXPECT_EQ(pad("abcdef", 3), "abc");
    // a name's listing field: padded up to its width, never cut
    EXPECT_EQ(pad_uncut("s.res", 8), "s.res   ");
    EXPECT_EQ(pad_uncut(std::string(60, 'n'), 60), std::string(60, 'n'));
    EXPECT_EQ(pad_uncut(std::string(61, 'n'), 60), std::string(61, 'n'));
    EXPECT_EQ(pad_uncut("", 3), "   ");
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
