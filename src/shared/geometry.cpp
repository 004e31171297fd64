#include "shared/geometry.hpp"

#include <cmath>

namespace kova {

float distance(const Vec3f& a, const Vec3f& b) {
    const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Vec3f difference(const Vec3f& a, const Vec3f& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

float dot_product(const Vec3f& a, const Vec3f& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3f cross_product(const Vec3f& a, const Vec3f& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

float vector_length(const Vec3f& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

ExtendedBond extend_bond(const Cartesian& from, const Cartesian& to, float length) {
    const float old = distance(to, from);
    Cartesian end;
    for (int k = 0; k < 3; ++k) end[k] = from[k] + (to[k] - from[k]) * length / old;
    return {end, old};
}

float sin_deg(float deg) { return std::sin(deg * deg2rad); }
float cos_deg(float deg) { return std::cos(deg * deg2rad); }
float asin_deg(float x) { return std::asin(x) * rad2deg; }

}  // namespace kova
