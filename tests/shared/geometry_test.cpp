// The vector helpers and the degree functions every stage measures with.
#include "shared/geometry.hpp"

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(Geometry, CrossLengthDistanceAndBondStretch) {
    const Vec3f c = cross_product({1, 2, 3}, {4, 5, 6});  // (2*6 - 3*5, 3*4 - 1*6, 1*5 - 2*4)
    EXPECT_EQ(c[0], -3.0f);
    EXPECT_EQ(c[1], 6.0f);
    EXPECT_EQ(c[2], -3.0f);
    EXPECT_EQ(vector_length({3, 4, 12}), 13.0f);
    EXPECT_EQ(distance({1, 1, 1}, {4, 5, 13}), 13.0f);  // 3, 4, 12 apart
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
