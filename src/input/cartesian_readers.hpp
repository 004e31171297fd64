// Readers of Cartesian atom lists (AIM2TAB listings, PLATON files) and the structure
// listings that every reader writes.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void readaim2tab(Records& r, const std::string& fname);
void readplaton(Records& r, const std::string& fname);
void prattyp(Records& r);
void printatoms(Records& r, int unit);

}  // namespace kova
