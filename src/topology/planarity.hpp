// Least-squares planes, the planarity test and small vector routines.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// list[1..n] atom indices; itype 2 ring (tol2), otherwise group (tol3).
void planarity(Records& r, int iprt, bool& lplan, int n, const std::vector<int>& list, int itype);
float dist(float x1, float y1, float z1, float x2, float y2, float z2);
void vmult(const float a[3], const float b[3], float c[3]);
float rlength(const float v[3]);
void extendbond(float x1, float y1, float z1, float& x2, float& y2, float& z2, float d, float& old);
// 1 when k is among list[1..n]; otherwise k is appended and 0 returned.
int checkat(int n_unused, int& n, std::vector<int>& list, int k);

}  // namespace kova
