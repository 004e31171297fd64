// Least-squares planes and the planarity test.
#pragma once

#include <vector>

#include "shared/records.hpp"

namespace kova {

// The kinds of atom list the planarity test knows, each with its own tolerance.
constexpr int planarity_ring = 2;   // a ring: options.tolerances.ring
constexpr int planarity_group = 3;  // an atom and its neighbours: options.tolerances.group

// Whether the atoms atoms[1..count] lie in a plane within the tolerance of `kind`; print 1
// lists the test.
bool planarity(Records& r, int print, int count, const std::vector<int>& atoms, int kind);
// Whether `atom` is among list[1..count] already; if not it is appended and count grows.
bool append_atom(std::vector<int>& list, int& count, int atom);

}  // namespace kova
