// Cell matrices, fractional/Cartesian conversion and the per-atom occupancy flags.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Makes the fractional-to-Cartesian matrix of the cell and its inverse.
void make_cell_matrices(Records& r);
// The inverse of a 3x3 matrix; a singular matrix ends the run.
Mat3f invert_matrix(Records& r, const Mat3f& m);
// The directions of convert_point.
constexpr int to_cartesian = 0;
constexpr int to_fractional = 1;
// Point p taken from fractional to Cartesian coordinates (to_cartesian) or back
// (to_fractional); any other direction ends the run.
Vec3f convert_point(Records& r, int direction, const Vec3f& p);
// Sets the occupancy flag of every atom: 0 full, 1 on a special position, -1 partial.
void set_occupancy_flags(Records& r);
// True when the three coordinates are finite numbers (no NaN, no overflow): the readers
// refuse other atom positions, which no later stage could measure.
bool finite_point(const Vec3f& p);
// The sine of an angle in degrees.
float sin_deg(float deg);
// The cosine of an angle in degrees.
float cos_deg(float deg);
// The angle in degrees whose sine is x.
float asin_deg(float x);

}  // namespace kova
