// The output section of a run (with DATABANK, Extend_H or TOXD): the XD parameter file,
// fixedH.ins and the body of the MoPro files, written atom by atom side by side.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True with DATABANK, Extend_H or TOXD.
bool has_output_section(const Records& r);
// True when the output section writes fixedH.ins (Extend_H, not in a TOXD run).
bool writes_fixedh(const Options& o);
// The heading of the output section, once xd_kova.inp is made: the rule in the listing and
// " Creating XD parameter file..." in the listing and on the terminal.
void write_output_section_heading(Io& io);
// DATABANK: the counts of the databank searches, on the terminal and in the listing.
void write_databank_statistics(Io& io, const Records& r);
// The records of the output section: XD parameter file, fixedH.ins and the MoPro files atom
// by atom, with the valence populations as they then stand, into files the road has made.
// Every slot of the atoms, dummies and kappa sets counted must exist.
void write_output_section(Io& io, const Records& r);

}  // namespace kova
