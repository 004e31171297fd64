// Points, vectors and the cell conversions: every stage measures with these, in single
// precision and in the order of operations written here.
#pragma once

#include <array>
#include <cmath>

namespace kova {

template <typename T>
using Vec3 = std::array<T, 3>;
template <typename T>
using Mat3 = std::array<std::array<T, 3>, 3>;  // m[row][col]
using Vec3f = Vec3<float>;
using Mat3f = Mat3<float>;
// Double precision where a search index needs a bound on rounding.
using Vec3d = Vec3<double>;
using Mat3d = Mat3<double>;

// A point in double precision, for the search grid.
inline Vec3d widen(const Vec3f& p) { return {p[0], p[1], p[2]}; }
// The distance between two points.
float distance(const Vec3f& a, const Vec3f& b);
// The vector from b to a.
Vec3f difference(const Vec3f& a, const Vec3f& b);
// The scalar product a . b.
float dot_product(const Vec3f& a, const Vec3f& b);
// The cross product a x b.
Vec3f cross_product(const Vec3f& a, const Vec3f& b);
// The length of a vector.
float vector_length(const Vec3f& v);
// The matrix times a vector, m v.
template <typename T>
Vec3<T> times(const Mat3<T>& m, const Vec3<T>& v) {
    Vec3<T> o;
    for (int k = 0; k < 3; ++k) o[k] = m[k][0] * v[0] + m[k][1] * v[1] + m[k][2] * v[2];
    return o;
}
// True when every component is a finite number (no NaN, no overflow).
template <typename T>
bool finite(const Vec3<T>& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}
template <typename T>
bool finite(const Mat3<T>& m) {
    return finite(m[0]) && finite(m[1]) && finite(m[2]);
}

// A fractional point in Cartesian coordinates (Å), with the cell's fractional-to-Cartesian
// matrix; and a Cartesian point in fractional coordinates, with its inverse.
inline Vec3f to_cartesian(const Mat3f& frac_to_cart, const Vec3f& frac) {
    return times(frac_to_cart, frac);
}
inline Vec3f to_fractional(const Mat3f& cart_to_frac, const Vec3f& cart) {
    return times(cart_to_frac, cart);
}

// A bond moved to a new length: its far end, and the length it had.
struct ExtendedBond {
    Vec3f end;
    float old_length;
};
// The bond from `from` to `to` stretched along itself to `length`.
ExtendedBond extend_bond(const Vec3f& from, const Vec3f& to, float length);

// The sine of an angle in degrees.
float sin_deg(float deg);
// The cosine of an angle in degrees.
float cos_deg(float deg);
// The angle in degrees whose sine is x.
float asin_deg(float x);
// Degrees per radian and back, as single-precision constants.
constexpr float deg2rad = 0.017453292f;
constexpr float rad2deg = 57.295776f;

}  // namespace kova
