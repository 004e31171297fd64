// Writer of the XD parameter file xd_kova.inp: head, one group of records per atom, tail.
// The three stretches are interleaved with the other files of the output section, so the
// file stays open on its channel between them.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Banner, model, LIMITS and USAGE records, the zero block and the dummy atoms.
void write_xd_parameter_head(Io& io, const Records& r);
// Frame integers, coordinates and occupancy, displacement parameters, populations of atom i.
void write_xd_parameter_atom(Io& io, const Records& r, int i);
// Kappa sets, free variables and the overall scale.
void write_xd_parameter_tail(Io& io, const Records& r);

}  // namespace kova
