// The vector helpers and the degree functions every stage measures with.
#include "shared/geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

namespace kova {
namespace {

// The kinds of position keep apart at compile time: neither becomes the other, nor a plain
// vector a position, without being named; a distance takes no fractional position.
template <typename A, typename B>
constexpr bool measurable = requires(const A& a, const B& b) { distance(a, b); };
static_assert(!std::is_convertible_v<Fractional, Cartesian>);
static_assert(!std::is_convertible_v<Cartesian, Fractional>);
static_assert(!std::is_convertible_v<Vec3f, Fractional>);
static_assert(!std::is_convertible_v<Vec3f, Cartesian>);
static_assert(measurable<Cartesian, Cartesian> && measurable<Cartesian, Vec3f>);
static_assert(!measurable<Fractional, Fractional> && !measurable<Fractional, Cartesian> &&
              !measurable<Vec3f, Fractional>);
static_assert(sizeof(Fractional) == sizeof(Vec3f) && sizeof(Cartesian) == sizeof(Vec3f));

// The cell matrix of a = 10, b = 20, c = 5.39 A with c cos(beta) = -2: x = 10 u - 2 w,
// y = 20 v, z = 5 w; and its inverse u = 0.1 x + 0.04 z, v = 0.05 y, w = 0.2 z.
const Mat3f kCell{{{10, 0, -2}, {0, 20, 0}, {0, 0, 5}}};
const Mat3f kCellInverse{{{0.1f, 0, 0.04f}, {0, 0.05f, 0}, {0, 0, 0.2f}}};

TEST(Positions, ConversionsByTheCellMatrices) {
    // (0.5, 0.25, 1): x = 5 + 0 - 2 = 3, y = 5, z = 5, every product and sum exact
    const Cartesian c = to_cartesian(kCell, Fractional{0.5f, 0.25f, 1.0f});
    EXPECT_EQ(c, (Vec3f{3.0f, 5.0f, 5.0f}));
    // and back: u = 0.3 + 0 + 0.2, v = 0.25, w = 1, to single-precision rounding
    const Fractional f = to_fractional(kCellInverse, c);
    const float want[3] = {0.5f, 0.25f, 1.0f};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(f[k], want[k], 1e-6f) << k;
}

TEST(Positions, EitherKindInCartesianCoordinates) {
    struct Case {
        const char* what;
        AnyPosition p;
        Vec3f want;
    };
    const Case cases[] = {
        {"fractional: through the matrix", Fractional{0.5f, 0.25f, 1.0f}, {3.0f, 5.0f, 5.0f}},
        {"Cartesian: itself", Cartesian{0.5f, 0.25f, 1.0f}, {0.5f, 0.25f, 1.0f}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(to_cartesian(kCell, c.p), c.want) << c.what;
        EXPECT_EQ(coordinates(c.p), (Vec3f{0.5f, 0.25f, 1.0f})) << c.what;  // as stored
    }
    // A Cartesian position is not multiplied out, even by the identity, which would turn a
    // negative zero into a positive one (0 + -0 is +0): Cartesian input keeps its numbers.
    const Mat3f identity{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    EXPECT_TRUE(std::signbit(to_cartesian(identity, AnyPosition{Cartesian{-0.0f, 1, 2}})[0]));
    EXPECT_FALSE(std::signbit(to_cartesian(identity, AnyPosition{Fractional{-0.0f, 1, 2}})[0]));
}

TEST(Geometry, CrossLengthDistanceAndBondStretch) {
    const Vec3f c = cross_product({1, 2, 3}, {4, 5, 6});  // (2*6 - 3*5, 3*4 - 1*6, 1*5 - 2*4)
    EXPECT_EQ(c[0], -3.0f);
    EXPECT_EQ(c[1], 6.0f);
    EXPECT_EQ(c[2], -3.0f);
    EXPECT_EQ(vector_length({3, 4, 12}), 13.0f);
    EXPECT_EQ(distance(Cartesian{1, 1, 1}, Cartesian{4, 5, 13}), 13.0f);  // 3, 4, 12 apart
    const ExtendedBond e = extend_bond({0, 0, 0}, {0, 3, 4}, 10.0f);
    EXPECT_EQ(e.old_length, 5.0f);
    EXPECT_EQ(e.end[0], 0.0f);
    EXPECT_FLOAT_EQ(e.end[1], 6.0f);
    EXPECT_FLOAT_EQ(e.end[2], 8.0f);
}

TEST(Geometry, DegreeFunctions) {
    EXPECT_NEAR(sin_deg(30.0f), 0.5f, 1e-6f);
    EXPECT_NEAR(cos_deg(60.0f), 0.5f, 1e-6f);
    EXPECT_NEAR(asin_deg(0.5f), 30.0f, 1e-5f);
    EXPECT_EQ(sin_deg(0.0f), 0.0f);
}

}  // namespace
}  // namespace kova
