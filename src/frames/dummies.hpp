// Dummy atoms, the frame picture in kova.spf and small geometry helpers of the frame rules.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// flag 1: the point is fractional, 0: Cartesian (crystal input only). Returns the dummy's
// number (new or reused within 0.1 Å) and its Cartesian position.
void adddummyatom(Records& r, int flag, float x, float y, float z, int& index, float& xo,
                  float& yo, float& zo);
void dummylab(Records& r, int k);
// The Cartesian position of stored dummy k (tmat times the stored point for crystal input).
Vec3f dummy_cartesian(const Records& r, int k);
void checksymeq(Records& r, const Vec3f& p1, const Vec3f& p2, std::string& lab1,
                std::string& lab2, char let1, char let2);
void loc2plat(Records& r, int i, const Vec3f& p1, const Vec3f& p2, char let1, char let2);
void getdummy(const Vec3f& p, const Vec3f& r1, const Vec3f& r2, const Vec3f& r3, Vec3f& e1,
              Vec3f& e2, Vec3f& e3);
void getdummylabel(int n, std::string& text);
void midpoint(float x1, float y1, float z1, float x2, float y2, float z2, float& xm, float& ym,
              float& zm);
void calcang(const float p[9], float& angle);
void prtang(Records& r, int unit, int i1, int i2, int i3, float angle);
void erum(std::string& label);  // 10 characters

}  // namespace kova
