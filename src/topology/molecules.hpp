// Completion of molecules from symmetry and lattice images.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Completes the molecules from symmetry and lattice images.
void complete_molecules(Records& r);

// The plain scan, restarted from its beginning after every accepted image; kept to check the
// incremental completion against.
void complete_molecules_scan(Records& r);

}  // namespace kova
