// The output section of a run (with DATABANK, Extend_H or TOXD): the XD parameter file,
// fixedH.ins and the body of the MoPro files, written atom by atom side by side.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True with DATABANK, Extend_H or TOXD.
bool has_output_section(const Records& r);
// The start of the output section: xd_kova.inp and fixedH.ins made, the section's heading and
// (DATABANK) the databank statistics. The rescaling follows it, before any record is written.
void open_output_section(Io& io, const Records& r);
// The records of the output section, into the files it opened: XD parameter file, fixedH.ins
// and the MoPro files atom by atom, with the valence populations as they then stand. Every
// slot of the atoms, dummies and kappa sets counted must exist.
void write_output_section(Io& io, const Records& r);

}  // namespace kova
