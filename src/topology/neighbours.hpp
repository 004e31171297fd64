// Neighbour search by covalent radii or within a radius, and the per-atom neighbour tables.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// rmax > 0: every atom within rmax; rmax <= 0: the covalent rule. Fills `neig` by distance.
void getnei(Records& r, int iat, float rmax, bool& ldis);
// getnei, listing (iprint), grouping by element into `neig`.
void findnei(Records& r, int iat, float rmax);
void findallneighbors(Records& r);
// Fills `isn` with the stored neighbours of atom k in canonical order.
void sortnei(Records& r, int k);
void prtatomnei(Records& r, int iat, int iunit);
// list[1..n]: the stored neighbours of iat in distance order, then iat; n = their number + 1.
void collectnei(Records& r, int iat, std::vector<int>& list, int& n);

}  // namespace kova
