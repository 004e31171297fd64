// Points, vectors and the cell conversions: every stage measures with these, in single
// precision and in the order of operations written here.
#pragma once

#include <array>
#include <cmath>
#include <variant>

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
float distance(const Vec3f& a, const Vec3f& b);
// The vector from b to a.
Vec3f difference(const Vec3f& a, const Vec3f& b);
float dot_product(const Vec3f& a, const Vec3f& b);
Vec3f cross_product(const Vec3f& a, const Vec3f& b);
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

// The two kinds of position: along the cell axes (fractional coordinates) and in Å
// (Cartesian coordinates, x along a and y in the ab plane for crystal input). Each reads as a
// Vec3f where a routine only measures; one kind becomes the other only through the cell's
// matrices, and a plain vector becomes a position only where it is named one.
struct Fractional : Vec3f {
    Fractional() = default;
    constexpr Fractional(float x, float y, float z) : Vec3f{x, y, z} {}
    constexpr explicit Fractional(const Vec3f& v) : Vec3f(v) {}
};
struct Cartesian : Vec3f {
    Cartesian() = default;
    constexpr Cartesian(float x, float y, float z) : Vec3f{x, y, z} {}
    constexpr explicit Cartesian(const Vec3f& v) : Vec3f(v) {}
};
// A position of either kind, where the kind goes with the value: a point as the dummy store
// keeps it (in the input's own coordinates), or one a routine takes in either.
using AnyPosition = std::variant<Fractional, Cartesian>;

// Distances are in Å: a fractional position is converted before it is measured.
float distance(const Fractional&, const Fractional&) = delete;
float distance(const Fractional&, const Vec3f&) = delete;
float distance(const Vec3f&, const Fractional&) = delete;

// The three numbers of a position of either kind, as a file writes them.
inline Vec3f coordinates(const AnyPosition& p) {
    return std::visit([](const Vec3f& v) { return v; }, p);
}

// A fractional position in Cartesian coordinates (Å), with the cell's fractional-to-Cartesian
// matrix; and a Cartesian position in fractional coordinates, with its inverse.
inline Cartesian to_cartesian(const Mat3f& frac_to_cart, const Fractional& p) {
    return Cartesian{times(frac_to_cart, p)};
}
inline Fractional to_fractional(const Mat3f& cart_to_frac, const Cartesian& p) {
    return Fractional{times(cart_to_frac, p)};
}
// A position of either kind in Cartesian coordinates: a Cartesian one is itself.
inline Cartesian to_cartesian(const Mat3f& frac_to_cart, const AnyPosition& p) {
    if (const Fractional* f = std::get_if<Fractional>(&p)) return to_cartesian(frac_to_cart, *f);
    return std::get<Cartesian>(p);
}

// A bond moved to a new length: its far end, and the length it had.
struct ExtendedBond {
    Cartesian end;
    float old_length;
};
// The bond from `from` to `to` stretched along itself to `length`.
ExtendedBond extend_bond(const Cartesian& from, const Cartesian& to, float length);

float sin_deg(float deg);
float cos_deg(float deg);
float asin_deg(float x);
// Radians per degree and degrees per radian, as single-precision constants.
constexpr float deg2rad = 0.017453292f;
constexpr float rad2deg = 57.295776f;

}  // namespace kova
