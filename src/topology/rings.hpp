// The reduced connectivity table, the ring search and the ring-membership query.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Makes the reduced connectivity table for the ring search.
void reduce_connectivity(Records& r);
// Finds the rings of the reduced connectivity table.
void find_rings(Records& r);
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
// ring_membership by the walk over every ring, kept to check the index against.
RingMembership ring_membership_scan(const Records& r, int atom);

// reduce_connectivity by the plain scan over every pair of entries in every cycle, kept to
// check it against.
void reduce_connectivity_scan(Records& r);
// find_rings with the walk path searched backwards at every step, kept to check it against.
void find_rings_scan(Records& r);

}  // namespace kova
