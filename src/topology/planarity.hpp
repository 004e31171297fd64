// Least-squares planes, the planarity test and small vector routines.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// list[1..n] atom indices; itype 2 ring (tol2), otherwise group (tol3).
void planarity(Records& r, int iprt, bool& lplan, int n, const std::vector<int>& list, int itype);
// The distance between two points.
float point_distance(float x1, float y1, float z1, float x2, float y2, float z2);
// The cross product of two vectors.
void cross_product(const float a[3], const float b[3], float c[3]);
// The length of a vector.
float vector_length(const float v[3]);
// Moves the second point along the bond to distance d, giving the old length.
void extend_bond(float x1, float y1, float z1, float& x2, float& y2, float& z2, float d, float& old);
// 1 when k is among list[1..n]; otherwise k is appended and 0 returned.
int append_atom(int n_unused, int& n, std::vector<int>& list, int k);

}  // namespace kova
