// Writer of the XD records of the X-H bonds Extend_H took on: the RESET BOND lines of
// reset.bond and the riding constraints of const.bond.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Writes a RESET BOND line to reset.bond and the constraints to const.bond for every bond.
void write_xh_bond_files(Io& io, const Records& r);

}  // namespace kova
