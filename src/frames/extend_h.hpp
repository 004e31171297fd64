// Extension of X-H bonds to standard distances, and the bonds the restraint records hold.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Extends the bond of `hydrogen` to its `parent` to the standard length of its environment and
// records the bond for the restraint files.
void extend_xh_bond(Records& r, int parent, int hydrogen);

}  // namespace kova
