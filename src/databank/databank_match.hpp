// The databank search of one atom once its neighbours are in the scratch table `neig`:
// `assign_from_databank` runs the covalent neighbour search and then this.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Fills `mpoles1`, counts in `ldb` and writes the search to the listing.
void match_databank_entry(Records& r, int iat);

}  // namespace kova
