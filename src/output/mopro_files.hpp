// Writers of the MoPro files: the parameter file mopro_kova.par, the constraint file
// con_mopro.inp and, with Extend_H, the restraint file res_mopro.inp. The pieces are written
// where the road has their records: con_mopro.inp gets its start lines first, the SYMPLM
// lines after the frame analysis and the similarity block in the output section;
// mopro_kova.par its head, then the cell and symmetry lines of SHELX input, then its body.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void write_mopro_head(Io& io);    // head of mopro_kova.par
// For SHELX input, after the head of mopro_kova.par: a CELL line for each CELL card, the
// symmetry block and the fixed scale, extinction and solvent lines.
void write_mopro_cell_and_symmetry(Io& io, const ShelxHead& head);
void write_mopro_constraints_start(Io& io);   // start lines of con_mopro.inp
// The SYMPLM line of every framed atom whose site symmetry is not "NO", in con_mopro.inp.
void write_mopro_symmetry_lines(Io& io, const Records& r);
void write_mopro_restraints_head(Io& io);    // head of res_mopro.inp
// The DISTAN line of every X-H bond Extend_H took on, in res_mopro.inp.
void write_mopro_distance_lines(Io& io, const Records& r);
// The URATIO block of res_mopro.inp: a line for every X-H bond, in atom order.
void write_mopro_uratio_block(Io& io, const Records& r);
void write_mopro_restraints_end(Io& io);     // end lines of res_mopro.inp

// mopro_kova.par in the output section: DUMMY and KAPPA blocks and the ATOMS line,
// the records of atom i, and the trailer.
void write_mopro_blocks(Io& io, const Records& r);
// The MoPro axes line of atom i (90 characters), from its final frame.
std::string mopro_axes_line(const Records& r, int i);
void write_mopro_atom(Io& io, const Records& r, int i);
void write_mopro_trailer(Io& io);
// The similarity block and end lines of con_mopro.inp.
void write_mopro_similarity(Io& io, const Records& r);

}  // namespace kova
