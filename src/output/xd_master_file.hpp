// Writer of the XD master file xd_kova.mas from its atom table on: the atom table with its
// dummy atoms, "END ATOM", the refinement block, the key table, the kappa lines, the tail and,
// for SHELX input, the fixed property modules. For XD input the file is rebuilt around the old
// master file's head, refinement block and tail, as the XD reader kept them.
#pragma once

#include <array>
#include <string>

#include "shared/records.hpp"

namespace kova {

// XD input: the head of the old master file, as the XD reader kept it, before any atom is
// framed (so that a file too short for it ends the run there).
void copy_old_master_head(Io& io, const Records& r);
// Writes the master file from its atom table on, once the last atom is framed; for XD input
// with the refinement block and tail that the XD reader kept of the old master file.
void write_xd_master_tables(Io& io, const Records& r);

// The 68-character key of atom i: structure key (38) then multipole key (30).
std::string atom_key(const Options& options, const Structure& structure, int i);
// Writes the refinement block of SHELX input, keeping kappa sets 1..kappa_sets; `weight`
// holds the SHELX weighting parameters in 1..6.
void write_xd_refinement_block(Io& io, int channel, const std::array<float, 7>& weight,
                               int kappa_sets);
// Writes the closing XDPROP and XDGEOM modules of SHELX input.
void write_xd_closing_modules(Io& io, int channel, int atom_count);

}  // namespace kova
