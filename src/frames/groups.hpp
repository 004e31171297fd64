// Functional-group recognition and the group picture group.ang.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Recognises the functional group of `atom` and records its name.
void find_functional_group(Records& r, int atom);
// Writes the atoms within three bonds of `atom` to the group picture group.ang.
void write_group_picture(Records& r, int atom);

}  // namespace kova
