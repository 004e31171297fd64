// Cell matrices, fractional/Cartesian conversion and the per-atom occupancy flags.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Makes the fractional-to-Cartesian matrix of the cell and its inverse.
void make_cell_matrices(Records& r);
// The inverse of a 3x3 matrix; a singular matrix ends the run.
Mat3f invert_matrix(Records& r, const Mat3f& m);
// Sets the occupancy flag of every atom: 0 full, 1 on a special position, -1 partial.
void set_occupancy_flags(Records& r);

}  // namespace kova
