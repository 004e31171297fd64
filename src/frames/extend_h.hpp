// Extension of X-H bonds to standard distances, and the bonds the restraint records hold.
#pragma once

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// Extends the bond of `hydrogen` to its `parent` to the standard length of the surroundings
// that `parent_data` and the neighbour tables describe, and records the bond for the
// restraint files.
void extend_xh_bond(Io& io, Records& r, int parent, int hydrogen,
                    const HydrogenParent& parent_data);

}  // namespace kova
