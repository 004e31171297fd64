// Whether the neighbours of an atom really have the site symmetry its frame rule gave, and the
// highest site symmetry they do have where they do not: the rules decide from chemical
// equivalence alone, and shapes such as a seesaw AX4 lack the symmetry of the tetrahedron.
#pragma once

#include <string_view>

#include "frames/frame_atom.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// True when every operation of `sym`, applied in the frame whose axes axis1 and axis2 point
// from the atom towards target1 and target2, maps the direction of every neighbour within 30
// degrees of the direction of a neighbour equal to it (the same atom, or a pair of the frame's
// equal pairs).
bool shape_has(const Records& r, int i, const FrameDraft& f, std::string_view sym, char axis1,
               const Vec3f& target1, char axis2, const Vec3f& target2);

// Right after the rules for three and four neighbours: a frame whose site symmetry the shape
// does not have gives way to the highest site symmetry that some axes through neighbours and
// midpoints of equal pairs make true ("NO" when none); the dummies the rule asked for are
// dropped with its frame (they were never made), and the listing says so in one line.
void check_site_symmetry_or_fall_back(Io& io, const Records& r, int i, FrameDraft& f);

}  // namespace kova
