// Cell matrices and the per-atom occupancy flags.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Makes the fractional-to-Cartesian matrix of the structure's cell and its inverse, and lists
// both; a cell that gives no finite matrix stops the run.
void make_cell_matrices(Io& io, int listing, Structure& structure);
// The inverse of a 3x3 matrix; a singular matrix stops the run.
Mat3f invert_matrix(Io& io, int listing, const Mat3f& m);
// Sets the occupancy flag of every atom: 0 full, 1 on a special position, -1 partial.
void set_occupancy_flags(Structure& structure);

}  // namespace kova
