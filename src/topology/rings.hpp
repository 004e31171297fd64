// The reduced connectivity table, the ring search and the ring-membership query.
#pragma once

#include "shared/records.hpp"

namespace kova {

void connect4rings(Records& r);
void findrings(Records& r);
void isitcyclic(Records& r, int iat, bool& lcyc, bool& lpl, bool& lfus, int& iring, int& isize);

// The rings holding each atom (`index.rings`), made from the ring records when their number
// differs from the index's or the ring search ran since. A stage that changes the members of
// the rings otherwise calls rings_changed.
const RingIndex& ring_index(Records& r);
void rings_changed(Records& r);
// isitcyclic by the walk over every ring, kept to check the index against.
void isitcyclic_scan(Records& r, int iat, bool& lcyc, bool& lpl, bool& lfus, int& iring, int& isize);

// The same stages done by plain scans (every pair of entries in every cycle; the walk path
// searched backwards at every step), kept to check the faster ones against.
void connect4rings_scan(Records& r);
void findrings_scan(Records& r);

}  // namespace kova
