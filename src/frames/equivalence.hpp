// The chemical-equivalence test of two atoms.
#pragma once

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// The comparisons a test makes besides the element and the neighbour count.
struct EquivalenceChecks {
    bool site_symmetry = false;  // the site-symmetry words
    bool group = false;          // the functional-group names
    bool simple = false;         // SIMPLE: neither the neighbour types nor the ring numbers
    bool ring = false;           // the planar-ring sizes (unless simple)
};
// Two neighbours of the atom being framed: properties of each atom alone, so that the equal
// pairs among the neighbours of one atom form complete groups.
constexpr EquivalenceChecks equal_pair_checks(bool simple) { return {.simple = simple}; }
// The atom being framed and an earlier atom whose kappa set it may share: everything.
constexpr EquivalenceChecks kappa_set_checks{.site_symmetry = true, .group = true, .ring = true};

// True when atoms a and b are chemically equivalent under `checks`; from VERBOSE 3 the listing
// shows the test and its first difference.
bool atoms_equivalent(Io& io, const Records& r, int a, int b, const EquivalenceChecks& checks);

}  // namespace kova
