// The output section of a run (with DATABANK, Extend_H or TOXD): the XD parameter file,
// fixedH.ins and the body of the MoPro files, written atom by atom side by side.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True when the run has an output section.
bool has_output_section(const Records& r);
// Writes the output section: XD parameter file, fixedH.ins and the MoPro files atom by atom.
void write_output_section(Io& io, Records& r);

}  // namespace kova
