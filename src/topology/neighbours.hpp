// Neighbour search by covalent radii or within a radius, and the per-atom neighbour tables.
#pragma once

#include <functional>
#include <vector>

#include "shared/records.hpp"

namespace kova {

// The neighbours of `atom` by distance: radius > 0 every atom within the radius, radius <= 0
// the covalent rule; not yet grouped by element.
NeighbourList search_neighbours(Records& r, int atom, float radius);
// search_neighbours grouped by element, and written to the listing when `list_them`.
NeighbourList find_neighbours(Records& r, int atom, float radius, bool list_them);
// The first of the atoms find_neighbours(atom, radius) finds, in its order, that `take`
// accepts; 0 when it accepts none. When the atoms nearest the centre decide, only they are
// looked at. Nothing is listed.
int first_neighbour(Records& r, int atom, float radius, const std::function<bool(int)>& take);
// Finds and stores the neighbours of every atom of the working list.
void find_all_neighbours(Records& r);
// The stored neighbours of atom k in canonical order (1-based): the types from the heaviest
// to the lightest, each in its stored order. The list has room for at least maxnei entries.
std::vector<int> neighbour_order(Records& r, int k);
// Lists the stored neighbours of `atom` on a channel.
void list_stored_neighbours(Records& r, int atom, int channel);
// Fills list[1..n] with the stored neighbours of `atom` in distance order, then the atom, and
// gives n (their number + 1). The list has at least 100 places, more when the atom has more
// neighbours.
int collect_neighbours(Records& r, int atom, std::vector<int>& list);

// The searches visit only the atoms near the centre through a spatial index of the working
// list, rebuilt when the list changes. A stage that moves an atom of the list afterwards calls
// this for the atom, so that later searches find it at its new place. (A search also picks up
// by itself a move of its centre or of the centre's stored neighbours, and on lists of up to
// 5000 atoms any move.)
void atom_moved(Records& r, int atom);

// search_neighbours by the plain scan over the whole working list, kept to check the indexed
// search against.
NeighbourList search_neighbours_scan(Records& r, int atom, float radius);

}  // namespace kova
