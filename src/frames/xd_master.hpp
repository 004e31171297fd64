// The XD master file xd_kova.mas from its atom table on, and kova.ang: the steps of the
// per-atom driver around its loop, the key of an atom and the fixed refinement and property
// blocks. XD input is rebuilt around the old master file, whose head, refinement block and
// tail are copied.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

constexpr int ang_channel = 52;     // kova.ang, open while the atoms are framed
constexpr int old_xd_channel = 39;  // the old XD master file (XD input)

// The 68-character key of atom i: structure key (38) then multipole key (30).
std::string make_atom_key(const Records& r, int i);
// Writes the refinement block of SHELX input, keeping kappa sets 1..kappa_sets.
void write_xd_refinement_block(Records& r, int channel, int kappa_sets);
// Writes the closing XDPROP and XDGEOM modules of SHELX input.
void write_xd_closing_modules(Records& r, int channel);

// Before the first atom: sets up an empty dummy store, restraint list and group picture,
// kova.ang, the copied head (XD input) and the atom-table header line.
void open_atom_table(Records& r);
// Writes the listing lines that open the work on atom i.
void list_atom_start(Records& r, int i);
// Writes atom i to kova.ang, at its position after framing.
void list_atom_ang(Records& r, int i);
// After the last atom, writes the dummy lines, "END ATOM", refinement block, key table, kappa
// lines, tail and, for SHELX input, the closing modules.
void close_atom_table(Records& r);

}  // namespace kova
