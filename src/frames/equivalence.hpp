// The chemical-equivalence test of two atoms.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True when atoms a and b are chemically equivalent: the same element and neighbour count and,
// each where asked (nonzero), the same site symmetry and functional group; unless `simple`,
// also the same neighbour types and counts and, where asked, the same planar ring sizes.
bool atoms_equivalent(Records& r, int a, int b, int check_symmetry, int check_group, int simple,
                      int check_ring);

}  // namespace kova
