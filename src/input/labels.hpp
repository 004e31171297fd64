// The check that every atom read has a label of its own.
#pragma once

#include "shared/records.hpp"

namespace kova {

// XD and MoPro name atoms by label, so a label carried by several atoms would make every frame,
// atom line and MoPro record that names it mean the last of them. Stops the run through
// fatal_error, naming the first repeated labels with their atom numbers and the remedy.
void check_unique_labels(Io& io, const Records& r);

}  // namespace kova
