// Matching an atom against the pseudoatom databank.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Finds the covalent neighbours of atom iat and assigns its parameters from the databank.
void assign_from_databank(Records& r, int iat);
// 0: the entry may match as far as the group goes; 1: skip the entry.
int read_except_line(Records& r, int iat, std::string& group);
// The valence population of the free atom of atomic number iz.
float free_atom_valence(int iz);

}  // namespace kova
