// Functional-group recognition and the group picture of a group it could not name.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// Recognises the functional group of `atom` and records its name.
void find_functional_group(Records& r, int atom);
// The group picture of `atom`: the atom and every atom within three bonds of it.
std::vector<GroupPictureAtom> group_picture(const Records& r, int atom);

}  // namespace kova
