// The atom table of xd_kova.mas as the frame analysis logs it: the header line and each atom's
// line, echoed to the terminal and the listing here and written to the master file by
// src/output from the same formatting, and the listing lines that open the work on an atom.
#pragma once

#include <string>
#include <string_view>

#include "shared/records.hpp"

namespace kova {

inline constexpr std::string_view atom_table_header =
    "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP TBL KAP LMX SITESYM  CHEMCON";

// Atom i's line of the atom table from its recorded frame, cut after its last non-blank.
std::string atom_table_line(const Structure& structure, const AnalysisResults& frames, int i);

// Shows the atom-table header on the terminal, before the first atom's line.
void show_atom_table_header(Io& io);
// Writes the listing lines that open the work on atom i.
void list_atom_start(Io& io, const Records& r, int i);

}  // namespace kova
