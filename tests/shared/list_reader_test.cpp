#include "shared/list_reader.hpp"

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(ListRead, Reals) {
    struct Case {
        const char* in;
        ReadStatus st;
        float want;
    } cases[] = {
        {"1-2", ReadStatus::ok, 0.01f},
        {"1.d10", ReadStatus::ok, 1e10f},
        {"5.", ReadStatus::ok, 5.0f},
        {".", ReadStatus::ok, 0.0f},
        {"-.5e-3", ReadStatus::ok, -0.0005f},
        {"2D", ReadStatus::error, 0},
        {"-", ReadStatus::error, 0},
        {"+", ReadStatus::error, 0},
        {"E", ReadStatus::error, 0},
        {"E5", ReadStatus::error, 0},
        {"--1", ReadStatus::error, 0},
        {"", ReadStatus::end, 0},
        {"   ", ReadStatus::end, 0},
        {"abc", ReadStatus::error, 0},
        {"0.33333334", ReadStatus::ok, 0.33333334f},
        {"+2.25", ReadStatus::ok, 2.25f},
        {"+.", ReadStatus::ok, 0.0f},
        {"-0.5", ReadStatus::ok, -0.5f},
        {"1.2.3", ReadStatus::error, 0},
        {"1..", ReadStatus::error, 0},
        {"+-1", ReadStatus::error, 0},
    };
    for (const auto& c : cases) {
        float v = 0;
        double d = 0;
        EXPECT_EQ(read_list(c.in, v), c.st) << c.in;
        EXPECT_EQ(read_list(c.in, d), c.st) << c.in;
        if (c.st == ReadStatus::ok) {
            EXPECT_EQ(v, c.want) << c.in;
            EXPECT_EQ(static_cast<float>(d), c.want) << c.in;
        }
    }
    float v = 0;
    ASSERT_EQ(read_list("INF", v), ReadStatus::ok);
    EXPECT_TRUE(std::isinf(v));
    ASSERT_EQ(read_list("nan(0x1)", v), ReadStatus::ok);
    EXPECT_TRUE(std::isnan(v));
    ASSERT_EQ(read_list("Infinity", v), ReadStatus::ok);
    EXPECT_TRUE(std::isinf(v));
}

// Short decimals are read without the C library; the values must be those strtof and strtod
// give: random digits and points, leading zeros, signs, and decimals that lie exactly halfway
// between two floats (ties to the even float).
TEST(ListRead, DecimalsAsTheCLibraryReadsThem) {
    std::mt19937_64 g(9);
    auto check = [](const std::string& text) {
        float f = 1.0f;
        double d = 1.0;
        ASSERT_EQ(read_list(text, f), ReadStatus::ok) << text;
        ASSERT_EQ(read_list(text, d), ReadStatus::ok) << text;
        const float wf = std::strtof(text.c_str(), nullptr);
        const double wd = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::signbit(f), std::signbit(wf)) << text;
        ASSERT_EQ(f, wf) << text;
        ASSERT_EQ(d, wd) << text;
    };
    for (int k = 0; k < 100000; ++k) {
        const int ndig = 1 + static_cast<int>(g() % 18);
        std::string t = g() % 3 == 0 ? "-" : "";
        for (int j = 0; j < ndig; ++j) t += static_cast<char>('0' + g() % 10);
        if (g() % 4 != 0) t.insert(t.size() - g() % (static_cast<unsigned>(ndig) + 1), 1, '.');
        if (t == "." || t == "-.") continue;
        check(t);
    }
    // halfway between floats: 2^24 + 1, 2^25 + 2, 2^23 + 0.5, 3 x 2^22 + 0.25 and near them
    for (const char* t :
         {"16777217", "16777219", "33554434", "33554438", "8388608.5", "8388609.5", "12582912.25",
          "-16777217", "0.000000059604644775390625", "1.00000005960464", "16777217.0000001",
          "16777216.9999999", "0", "-0", "-0.000", "000123.4500"})
        check(t);
}

TEST(ListRead, Integers) {
    struct Case {
        const char* in;
        ReadStatus st;
        int want;
    } cases[] = {
        {"12", ReadStatus::ok, 12}, {"-3", ReadStatus::ok, -3}, {"3/4", ReadStatus::ok, 3},
        {"2.5", ReadStatus::error, 0}, {"1e3", ReadStatus::error, 0}, {"5.", ReadStatus::error, 0},
        {"99999999999", ReadStatus::error, 0},
    };
    for (const auto& c : cases) {
        int v = 0;
        EXPECT_EQ(read_list(c.in, v), c.st) << c.in;
        if (c.st == ReadStatus::ok) {
            EXPECT_EQ(v, c.want) << c.in;
        }
    }
}

TEST(ListRead, SeparatorsRepeatsNullsAndSlash) {
    float a = -1, b = -1, c = -1, d = -1;
    EXPECT_EQ(read_list("1, 2 3,4", a, b, c, d), ReadStatus::ok);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(d, 4);
    a = b = c = -1;
    EXPECT_EQ(read_list("1,,3", a, b, c), ReadStatus::ok);
    EXPECT_EQ(b, -1);  // null value keeps the target
    EXPECT_EQ(c, 3);
    a = b = c = -1;
    EXPECT_EQ(read_list("3*2.5", a, b, c), ReadStatus::ok);
    EXPECT_EQ(c, 2.5f);
    a = b = c = -1;
    EXPECT_EQ(read_list("7 / 8 9", a, b, c), ReadStatus::ok);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, -1);
    EXPECT_EQ(c, -1);
    EXPECT_EQ(read_list("7", a, b), ReadStatus::end);
    EXPECT_EQ(read_list("7 x", a, b), ReadStatus::error);
    int i = 0, j = 0;
    EXPECT_EQ(read_list("3/4", i, j), ReadStatus::ok);
    EXPECT_EQ(i, 3);
    EXPECT_EQ(j, 0);
}

TEST(ListRead, FixedFormatInput) {
    struct Case {
        const char* in;
        int d;
        float want;
    } cases[] = {
        {"    12345", 4, 1.2345f}, {"  1 2 3  ", 4, 0.0123f}, {"         ", 4, 0.0f},
        {"-2.5E1", 4, -25.0f},     {"  1.5", 2, 1.5f},        {"-5", 1, -0.5f},
    };
    for (const auto& c : cases) {
        float v = -1;
        EXPECT_EQ(read_fixed_real(c.in, c.d, v), ReadStatus::ok) << c.in;
        EXPECT_FLOAT_EQ(v, c.want) << c.in;
    }
    float v = 0;
    EXPECT_EQ(read_fixed_real("1.2x", 2, v), ReadStatus::error);
}

}  // namespace
}  // namespace kova
