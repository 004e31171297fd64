// Least-squares planes, the planarity test and small vector routines.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// The kinds of atom list the planarity test knows, each with its own tolerance.
constexpr int planarity_ring = 2;   // a ring: options.tolerances.ring
constexpr int planarity_group = 3;  // an atom and its neighbours: options.tolerances.group

// Whether the atoms atoms[1..count] lie in a plane within the tolerance of `kind`; print 1
// lists the test.
bool planarity(Records& r, int print, int count, const std::vector<int>& atoms, int kind);
// The distance between two points.
float point_distance(float x1, float y1, float z1, float x2, float y2, float z2);
// The distance between two points.
float point_distance(const Vec3f& a, const Vec3f& b);
// The vector from b to a.
Vec3f difference(const Vec3f& a, const Vec3f& b);
// The scalar product a . b.
float dot_product(const Vec3f& a, const Vec3f& b);
// The cross product a x b.
Vec3f cross_product(const Vec3f& a, const Vec3f& b);
// The length of a vector.
float vector_length(const Vec3f& v);

// A bond moved to a new length: its far end, and the length it had.
struct ExtendedBond {
    Vec3f end;
    float old_length;
};
// The bond from `from` to `to` stretched along itself to `length`.
ExtendedBond extend_bond(const Vec3f& from, const Vec3f& to, float length);
// Whether `atom` is among list[1..count] already; if not it is appended and count grows.
bool append_atom(std::vector<int>& list, int& count, int atom);

}  // namespace kova
