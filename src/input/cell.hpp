// Cell matrices, fractional/Cartesian conversion and the per-atom occupancy flags.
#pragma once

#include "shared/records.hpp"

namespace kova {

void tranmat(Records& r);
void inverse(Records& r, const Mat3f& a, Mat3f& ainv);
// iflag 0: fractional to Cartesian; 1: Cartesian to fractional.
void rabs(Records& r, int iflag, float x, float y, float z, float& xo, float& yo, float& zo);
void checkocc(Records& r);
// True when the three coordinates are finite numbers (no NaN, no overflow): the readers
// refuse other atom positions, which no later stage could measure.
bool finite_point(const Vec3f& p);
float sind(float deg);
float cosd(float deg);
float asind(float x);

}  // namespace kova
