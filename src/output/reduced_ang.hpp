// reduced.ang and reduced_1.ang: the reduced connectivity table of the ring search as two
// PLATON atom lists, the atoms under their labels and under names made of element and entry
// number.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Writes both files from the reduced table (topology.reduced) as the reduction left it, before
// the ring search exchanges its start entry into the first place; "ANGSTROM" heads each file,
// even when no entry is left.
void write_reduced_ang(Io& io, const Records& r);

}  // namespace kova
