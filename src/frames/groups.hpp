// Functional-group recognition and the group picture group.ang.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Recognises the functional group of atom iat and records its name.
void find_functional_group(Records& r, int iat);
// Writes the atoms within three bonds of atom iat to the group picture group.ang.
void write_group_picture(Records& r, int iat);

}  // namespace kova
