// Completion of molecules from symmetry and lattice images.
#pragma once

#include "shared/records.hpp"

namespace kova {

void gencompletefrags(Records& r);

}  // namespace kova
