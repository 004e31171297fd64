// The databank search of one atom once its neighbours are in `topology.last_search`:
// `assign_from_databank` runs the covalent neighbour search and then this.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Fills the databank match of an atom, counts it in the databank results and writes the
// search to the listing.
void match_databank_entry(Records& r, int atom);

}  // namespace kova
