// The PLATON plot file kova.spf: its title and its trailer. The frame analysis writes one
// frame picture per atom between the two.
#pragma once

#include "shared/records.hpp"

namespace kova {

void wrspftitle(Records& r);
// Dummy atoms, bond radii, colours and detach rules, then PLOT; closes the file.
void wrspftrailer(Records& r);

}  // namespace kova
