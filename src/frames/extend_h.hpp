// Extension of X-H bonds to standard distances, with the XD and MoPro restraint records.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Extends the bond of `hydrogen` to its `parent` to the standard length, with the restraints.
void extend_xh_bond(Records& r, int parent, int hydrogen);

}  // namespace kova
