// Functional-group recognition and the group picture of a group it could not name.
#pragma once

#include <string>
#include <vector>

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// The functional group of an atom: its name when a rule block recognised one, and the group
// picture when a block that failed drew one.
struct FunctionalGroup {
    bool found = false;
    std::string name = std::string(40, ' ');  // 40 characters, blank when none was found
    std::vector<GroupPictureAtom> picture;   // empty when none was drawn
};

// Recognises the functional group of `atom`; the listing shows the blocks tried.
FunctionalGroup find_functional_group(Io& io, const Records& r, int atom);
// The group picture of `atom`: the atom and every atom within three bonds of it.
std::vector<GroupPictureAtom> group_picture(const Records& r, int atom);

}  // namespace kova
