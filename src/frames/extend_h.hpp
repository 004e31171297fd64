// Extension of X-H bonds to standard distances, and the bonds the restraint records hold.
#pragma once

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

class NeighbourIndex;  // topology/neighbours.hpp

// Extends the bond of `hydrogen` to its `parent` to the standard length of the surroundings
// that `parent_data` and the neighbour tables describe, and records the bond for the
// restraint files. The hydrogen atom moves through `neighbours`, the index the later searches
// of the frame analysis use.
void extend_xh_bond(Io& io, Records& r, NeighbourIndex& neighbours, int parent, int hydrogen,
                    const HydrogenParent& parent_data);

}  // namespace kova
