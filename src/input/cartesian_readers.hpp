// Readers of Cartesian atom lists (AIM2TAB listings, PLATON files) and the structure
// listings that every reader writes.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads the atoms of an AIM2TAB listing and lists them.
void read_aim2tab(Io& io, Records& r, const std::string& file_name);
// Reads the atoms of a PLATON file and lists them.
void read_platon(Io& io, Records& r, const std::string& file_name);
// Lists the atom types with their atomic numbers.
void list_atom_types(Io& io, const Records& r);
// Lists every atom with its coordinates and occupancy flag on a channel.
void list_atoms(Io& io, const Structure& structure, int channel);

}  // namespace kova
