// Neighbour search by covalent radii or within a radius, and the per-atom neighbour tables.
#pragma once

#include <functional>
#include <vector>

#include "shared/records.hpp"

namespace kova {

// rmax > 0: every atom within rmax; rmax <= 0: the covalent rule. Fills `neig` by distance.
void search_neighbours(Records& r, int iat, float rmax, bool& ldis);
// search_neighbours, listing (iprint), grouping by element into `neig`.
void find_neighbours(Records& r, int iat, float rmax);
// The first of the atoms find_neighbours(iat, rmax) finds, in its order, that `take` accepts; 0 when
// it accepts none. When the atoms nearest the centre decide, only they are looked at and
// `neig` is left empty; otherwise find_neighbours runs (listing nothing when iprint is 0).
int first_neighbour(Records& r, int iat, float rmax, const std::function<bool(int)>& take);
// Finds and stores the neighbours of every atom of the working list.
void find_all_neighbours(Records& r);
// Fills `isn` with the stored neighbours of atom k in canonical order.
void sort_stored_neighbours(Records& r, int k);
// Lists the stored neighbours of atom iat on a channel.
void list_stored_neighbours(Records& r, int iat, int iunit);
// list[1..n]: the stored neighbours of iat in distance order, then iat; n = their number + 1.
// The list has at least 100 places and more when the atom has more neighbours.
void collect_neighbours(Records& r, int iat, std::vector<int>& list, int& n);

// The searches visit only the atoms near the centre through a spatial index of the working
// list, rebuilt when the list changes. A stage that moves an atom of the list afterwards calls
// this for the atom, so that later searches find it at its new place. (A search also picks up
// by itself a move of its centre or of the centre's stored neighbours, and on lists of up to
// 5000 atoms any move.)
void atom_moved(Records& r, int iat);

// The plain scan over the whole working list, kept to check the indexed search against.
void search_neighbours_scan(Records& r, int iat, float rmax, bool& ldis);

}  // namespace kova
