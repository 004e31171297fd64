// Matching an atom against the pseudoatom databank.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Finds the covalent neighbours of an atom and gives the parameters of the databank entry that
// matches it, or the free-atom defaults; counts the search in the databank results.
PseudoAtom assign_from_databank(Records& r, int atom, const PlanarSituation& planar);
// Reads the EXCEPT line of the entry being matched, if it has one, against the functional
// group of the atom: true when the entry may match as far as the group goes, false to skip
// it. `group` receives the group the line names; without the line it is left as it was.
bool except_line_allows(Records& r, int atom, std::string& group);
// The valence population of the free atom of an element.
float free_atom_valence(int atomic_number);

}  // namespace kova
