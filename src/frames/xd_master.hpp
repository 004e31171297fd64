// The XD master file xd_kova.mas from its atom table on, and kova.ang: the steps of the
// per-atom driver around its loop, the key of an atom and the fixed refinement and property
// blocks. XD input is rebuilt around the old master file, whose head, refinement block and
// tail are copied.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

constexpr int iang = 52;    // kova.ang, open while the atoms are framed
constexpr int ioldxd = 39;  // the old XD master file (XD input)

// The 68-character key of atom i: structure key (38) then multipole key (30).
void make_atom_key(const Records& r, int i, std::string& key);
// The refinement block of SHELX input.
void write_xd_refinement_block(Records& r, int channel, int nkset);
// The closing XDPROP and XDGEOM modules of SHELX input.
void write_xd_closing_modules(Records& r, int channel);

// Before the first atom: an empty dummy store, kova.ang, the copied head (XD input) and the
// atom-table header line.
void open_atom_table(Records& r);
// The listing lines that open the work on atom i.
void list_atom_start(Records& r, int i);
// Atom i in kova.ang, at its position after framing.
void list_atom_ang(Records& r, int i);
// After the last atom: dummy lines, "END ATOM", refinement block, key table, kappa lines,
// tail and, for SHELX input, the closing modules.
void close_atom_table(Records& r);

}  // namespace kova
