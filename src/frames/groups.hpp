// Functional-group recognition and the group picture group.ang.
#pragma once

#include <string>

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// The functional group of an atom: its name when a rule block recognised one.
struct FunctionalGroup {
    bool found = false;
    std::string name = std::string(40, ' ');  // 40 characters, blank when none was found
};

// Recognises the functional group of `atom`; the listing shows the blocks tried.
FunctionalGroup find_functional_group(Io& io, Records& r, int atom);
// Writes the atoms within three bonds of `atom` to the group picture group.ang.
void write_group_picture(Records& r, int atom);

}  // namespace kova
