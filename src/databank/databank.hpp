// Matching an atom against the pseudoatom databank.
#pragma once

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

struct Databank;        // databank/databank_file.hpp
class NeighbourIndex;   // topology/neighbours.hpp

// Finds the covalent neighbours of an atom and gives the parameters of the databank entry that
// matches it, or the free-atom defaults; writes the search to the listing. The frame analysis
// gives the atom's planar situation and, for a hydrogen atom, its parent's data. The records
// and `neighbours` give the neighbour search and the records take the count of the search; the
// databank keeps the answer.
PseudoAtom assign_from_databank(Io& io, Records& r, Databank& databank, NeighbourIndex& neighbours,
                                int atom, const PlanarSituation& planar,
                                const HydrogenParent& parent);
// The parameters of an atom that no entry matches.
PseudoAtom free_atom_parameters(int atomic_number);
// The valence population of the free atom of an element.
float free_atom_valence(int atomic_number);

}  // namespace kova
