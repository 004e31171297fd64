// Completion of molecules from symmetry and lattice images.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Completes the molecules from symmetry and lattice images: the images join the working list
// (structure and topology) after the atoms read, and the list is listed when it grew.
void complete_molecules(Io& io, Records& r);
// The listing of the working list after the completion, which announces complete.ang;
// nothing when no image was added.
void list_complete_fragments(Io& io, const Records& r);

}  // namespace kova
