// The databank search of one atom once its covalent neighbours are found: `assign_from_databank`
// runs the neighbour search and then this.
#pragma once

#include "shared/records.hpp"

namespace kova {

// The databank match of an atom with these neighbours (grouped by element), or the free-atom
// defaults; counts it in the databank results and writes the search to the listing.
PseudoAtom match_databank_entry(Records& r, int atom, const NeighbourList& neighbours,
                                const PlanarSituation& planar);

}  // namespace kova
