// Dummy atoms, the axes of the frame picture and small geometry helpers of the frame rules.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shared/records.hpp"

namespace kova {

// A dummy atom of the store, or one that a frame is to add to it: its number and its position.
struct DummyPlace {
    int number;
    Cartesian position;
};
// A dummy atom that a frame points an axis at and that the store does not hold yet: the number
// it is to get and its point as the store keeps it (fractional for crystal input, else
// Cartesian).
struct NewDummy {
    int number;
    AnyPosition stored;
};
// The dummy for a point, and the new dummy to be stored when no dummy lies near the point.
struct DummyChoice {
    DummyPlace place;
    std::optional<NewDummy> made;
};
// The dummy atom for `point`: the first of the store strictly closer than 0.1 Å, else the first
// such of `pending` (new dummies that are to follow the store's, in their order), else a new one
// numbered after them all. Cartesian input has no cell: its points are all taken in Å.
DummyChoice choose_dummy(const Records& r, const std::vector<NewDummy>& pending,
                         const AnyPosition& point);
// Adds a new dummy atom at its point as stored, and gives its number.
int store_dummy(Io& io, Records& r, const AnyPosition& stored);
// The dummy atom at `point`, reused or stored at once.
DummyPlace add_dummy_atom(Io& io, Records& r, const AnyPosition& point);
// The label of dummy k: DUMk, 6 characters.
std::string dummy_label(int k);
// Stops the run when dummy k cannot be labelled (k of 1000 or more).
void check_dummy_number(Io& io, int k);
// Gives dummy atom k its label DUMk.
void label_dummy(Io& io, Records& r, int k);
// The Cartesian position of stored dummy k (frac_to_cart times a fractional stored point).
Cartesian dummy_cartesian(const Records& r, int k);
// The labels of the two axis targets (at points target1 and target2 of axes axis1 and axis2),
// each replaced by a new dummy atom's label where it lies on a symmetry image of an atom.
std::pair<std::string, std::string> replace_image_targets(Io& io, Records& r,
                                                          const Cartesian& target1,
                                                          const Cartesian& target2,
                                                          std::string label1, std::string label2,
                                                          char axis1, char axis2);
// The ends of the X, Y and Z axes of the frame picture of an atom at p, 0.2 Å out, whose axes
// axis1 and axis2 point towards target1 and target2; the third axis makes the set right-handed.
std::array<Cartesian, 3> frame_axis_ends(const Cartesian& p, const Cartesian& target1,
                                         const Cartesian& target2, char axis1, char axis2);
// The points 0.2 Å from p along each of the three directions (p itself for a direction
// without length).
std::array<Cartesian, 3> place_axis_ends(const Cartesian& p, const Vec3f& dir1,
                                         const Vec3f& dir2, const Vec3f& dir3);
Cartesian midpoint(const Cartesian& a, const Cartesian& b);
// The angle a-vertex-c at the vertex, in degrees (0 when a or c lies on the vertex).
float angle_of_points(const Vec3f& a, const Vec3f& vertex, const Vec3f& c);
// Writes the line of the angle i1-i2-i3 to a channel, after an empty line.
void write_angle_line(Io& io, const Records& r, int channel, int i1, int i2, int i3, float angle);

}  // namespace kova
