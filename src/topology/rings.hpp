// The reduced connectivity table, the ring search and the ring-membership query.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Makes the reduced connectivity table for the ring search.
void reduce_connectivity(Records& r);
// Finds the rings of the reduced connectivity table.
void find_rings(Records& r);
// Whether atom iat is in a ring, the ring planar or fused, with its number and size.
void ring_membership(Records& r, int iat, bool& lcyc, bool& lpl, bool& lfus, int& iring, int& isize);

// The rings holding each atom (`index.rings`), made from the ring records when their number
// differs from the index's or the ring search ran since. A stage that changes the members of
// the rings otherwise calls rings_changed.
const RingIndex& ring_index(Records& r);
void rings_changed(Records& r);
// ring_membership by the walk over every ring, kept to check the index against.
void ring_membership_scan(Records& r, int iat, bool& lcyc, bool& lpl, bool& lfus, int& iring, int& isize);

// The same stages done by plain scans (every pair of entries in every cycle; the walk path
// searched backwards at every step), kept to check the faster ones against.
void reduce_connectivity_scan(Records& r);
// find_rings by the plain backward walk, kept to check it against.
void find_rings_scan(Records& r);

}  // namespace kova
