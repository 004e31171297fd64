// The reduced connectivity table, the ring search and the ring-membership query.
#pragma once

#include "shared/records.hpp"

namespace kova {

// The reduced connectivity table for the ring search, made from the working list and listed
// with its elimination cycles.
ReducedTable reduce_connectivity(Io& io, const Records& r);
// The ring search over the reduced table (topology.reduced): fills the ring records of
// topology and lists every ring found. Its start entry is exchanged into the table's first
// place.
void find_rings(Io& io, Records& r);

// How an atom lies in the rings: only its first two rings count.
struct RingMembership {
    bool in_ring = false;  // in at least one ring
    bool planar = false;   // in one planar ring (alone, or beside a ring not planar)
    bool fused = false;    // in two rings, both planar
    int ring = 0;          // that planar ring's number; for fused rings the sum of both numbers
    int size = 0;          // its size; for fused rings the sum of both sizes
};

// How `atom` lies in the rings. The answer comes from an index of the rings holding each
// atom (`index.rings`), made by the first query after the rings changed.
RingMembership ring_membership(const Records& r, int atom);
// Drops the ring index; the ring search calls it whenever it stores a ring.
void rings_changed(Records& r);

}  // namespace kova
