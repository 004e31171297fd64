// Neighbour search by covalent radii or within a radius, and the per-atom neighbour tables.
// A search only reads the records; it writes to the listing and the terminal through `io`
// when it lists what it found, and when it finds more neighbours than a list holds (which
// ends the run).
#pragma once

#include <functional>
#include <vector>

#include "shared/records.hpp"

namespace kova {

// The neighbours of `atom` by distance: radius > 0 every atom within the radius, radius <= 0
// the covalent rule; not yet grouped by element.
NeighbourList search_neighbours(Io& io, const Records& r, int atom, float radius);
// search_neighbours grouped by element, and written to the listing when `list_them`.
NeighbourList find_neighbours(Io& io, const Records& r, int atom, float radius, bool list_them);
// The first of the atoms find_neighbours(atom, radius) finds, in its order, that `take`
// accepts; 0 when it accepts none. When the atoms nearest the centre decide, only they are
// looked at. Nothing is listed.
int first_neighbour(Io& io, const Records& r, int atom, float radius,
                    const std::function<bool(int)>& take);
// The neighbour stage: finds and stores the neighbours of every atom of the working list
// (topology.neighbours) and lists them.
void find_all_neighbours(Io& io, Records& r);
// The stored neighbours of atom k in canonical order (1-based): the types from the heaviest
// to the lightest, each in its stored order.
std::vector<int> neighbour_order(Io& io, const Records& r, int k);
// Lists the stored neighbours of `atom` on a channel.
void list_stored_neighbours(Io& io, const Records& r, int atom, int channel);
// The stored neighbours of `atom` in distance order, then the atom: list[1..n], n their
// number + 1 (list.size() - 1).
std::vector<int> collect_neighbours(const Records& r, int atom);

// The searches visit only the atoms near the centre through a spatial index of the working
// list (`Records::neighbour_index`), rebuilt when the list changes. A stage that moves an atom
// of the list afterwards calls this for the atom, so that later searches find it at its new
// place; it changes the index only. (A search also picks up by itself a move of its centre or
// of the centre's stored neighbours, and on lists of up to 5000 atoms any move.)
void atom_moved(const Records& r, int atom);

}  // namespace kova
