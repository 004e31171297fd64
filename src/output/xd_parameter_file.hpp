// Writer of the XD parameter file xd_kova.inp: head, one group of records per atom, tail.
// The three stretches are interleaved with the other files of the output section, so the
// file stays open on its channel between them.
#pragma once

#include "shared/records.hpp"

namespace kova {

// An atom's row of the XD atom table as xd_kova.inp gives it: the columns AX1 to CHEMCON. A
// target is an atom number, or atom_count + k for dummy k; 0 when its label names neither.
struct XdAtomRow {
    int axis1 = 0, axis2 = 0;  // AX1, AX2: 1 X, 2 Y, 3 Z
    int target1 = 0;           // ATOM0
    int atom = 0;              // ATOM1: the atom itself
    int target2 = 0;           // ATOM2
    int adp_order = 0;         // TP
    int scattering_table = 0;  // TBL
    int kappa_set = 0;         // KAP
    int multipole_level = 0;   // LMX: 4 for every atom
    int site_symmetry = 0;     // SITESYM: 1 for every atom
    int equivalent_atom = 0;   // CHEMCON: the earlier atom whose kappa set it took, or 0
    bool operator==(const XdAtomRow&) const = default;
};
// Atom i's row, from its final frame.
XdAtomRow xd_atom_row(const Records& r, int i);

// Banner, model, LIMITS and USAGE records, the zero block and the dummy atoms.
void write_xd_parameter_head(Io& io, const Records& r);
// Frame integers, coordinates and occupancy, displacement parameters, populations of atom i.
void write_xd_parameter_atom(Io& io, const Records& r, int i);
// Kappa sets, free variables and the overall scale.
void write_xd_parameter_tail(Io& io, const Records& r);

}  // namespace kova
