// Completion of molecules from symmetry and lattice images.
#pragma once

#include "shared/records.hpp"

namespace kova {

void gencompletefrags(Records& r);

// The plain scan, restarted from its beginning after every accepted image; kept to check the
// incremental completion against.
void gencompletefrags_scan(Records& r);

}  // namespace kova
