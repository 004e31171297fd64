// Dummy atoms, the frame picture in kova.spf and small geometry helpers of the frame rules.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// flag 1: the point is fractional, 0: Cartesian (crystal input only). Returns the dummy's
// number (new or reused within 0.1 Å) and its Cartesian position.
void add_dummy_atom(Records& r, int flag, float x, float y, float z, int& index, float& xo,
                  float& yo, float& zo);
// Gives dummy atom k its label DUMk.
void label_dummy(Records& r, int k);
// The Cartesian position of stored dummy k (tmat times the stored point for crystal input).
Vec3f dummy_cartesian(const Records& r, int k);
// Replaces axis targets that lie on symmetry images of atoms by dummy atoms.
void replace_image_targets(Records& r, const Vec3f& p1, const Vec3f& p2, std::string& lab1,
                std::string& lab2, char let1, char let2);
// Writes the frame picture of atom i (its axes towards p1 and p2) to the plot file.
void write_frame_picture(Records& r, int i, const Vec3f& p1, const Vec3f& p2, char let1, char let2);
// The points 0.2 Å from p along r1, r2 and r3.
void place_axis_ends(const Vec3f& p, const Vec3f& r1, const Vec3f& r2, const Vec3f& r3, Vec3f& e1,
              Vec3f& e2, Vec3f& e3);
// The number n as a label, left-justified in the width of text.
void number_label(int n, std::string& text);
void midpoint(float x1, float y1, float z1, float x2, float y2, float z2, float& xm, float& ym,
              float& zm);
// The angle at the middle of three points p[0..8], in degrees (0 for a point on the vertex).
void angle_of_points(const float p[9], float& angle);
// Writes the line of the angle i1-i2-i3 to a channel, after an empty line.
void write_angle_line(Records& r, int unit, int i1, int i2, int i3, float angle);
// Removes the first "UM" of a label and left-justifies it in 10 characters.
void strip_um(std::string& label);  // 10 characters

}  // namespace kova
