// Cell matrices, fractional/Cartesian conversion and the per-atom occupancy flags.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Makes the fractional-to-Cartesian matrix of the cell and its inverse.
void make_cell_matrices(Records& r);
// The inverse of a 3x3 matrix; a singular matrix ends the run.
void invert_matrix(Records& r, const Mat3f& a, Mat3f& ainv);
// iflag 0: fractional to Cartesian; 1: Cartesian to fractional.
void convert_point(Records& r, int iflag, float x, float y, float z, float& xo, float& yo, float& zo);
// Sets the occupancy flag of every atom: 0 full, 1 on a special position, -1 partial.
void set_occupancy_flags(Records& r);
// True when the three coordinates are finite numbers (no NaN, no overflow): the readers
// refuse other atom positions, which no later stage could measure.
bool finite_point(const Vec3f& p);
float sind(float deg);
float cosd(float deg);
float asind(float x);

}  // namespace kova
