// Least-squares planes and the planarity test.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// The kinds of atom list the planarity test knows, each with its own tolerance and word.
enum class PlanarityKind {
    ring,   // a ring: options.tolerances.ring, "ring"
    group,  // an atom and its neighbours: options.tolerances.group, "group"
};

// Whether the atoms atoms[1..count] lie in a plane within the tolerance of `kind`; with
// `list_it` the test is written to the listing.
bool planarity(Io& io, const Records& r, bool list_it, int count, const std::vector<int>& atoms,
               PlanarityKind kind);
// Whether `atom` and its stored neighbours lie in a plane within the group tolerance.
bool group_is_planar(Io& io, const Records& r, int atom, bool list_it = false);
// Whether `atom` is among list[1..count] already; if not it is appended and count grows.
bool append_atom(std::vector<int>& list, int& count, int atom);

}  // namespace kova
