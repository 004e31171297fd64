// Lookup tables of the frame analysis. They answer the questions the per-atom work asks of all
// earlier atoms or all kappa sets (the last atom of a label, the first earlier atom that the
// kappa-set test accepts, the first free-atom set of a scattering table) with the answers the
// full scans give, so that a structure of 100000 atoms is not scanned once per atom. The tables
// are derived from the records only (Records::frame_index caches them), so the questions take
// the records as they stand.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// The first atom of each key among atoms 1..entered.
struct FirstAtomByKey {
    int entered = 0;
    std::unordered_map<std::string, int> first;
};

struct FrameIndex {
    int atom_count = -1;  // structure.atom_count the tables of the atoms were made for
    // The last atom of each label (without trailing blanks), open-addressed by the label's
    // hash: 0 marks a free slot; the size is a power of two, at least twice
    // structure.atom_count. Empty until a label is looked up.
    std::vector<int> last_atom;
    FirstAtomByKey hydrogen_sets;  // by the data the hydrogen kappa-set test compares
    FirstAtomByKey equivalents;    // by the data the equivalence test of the kappa sets compares
    std::map<int, std::set<int>> free_sets;  // scattering table -> free-atom sets
    std::map<int, int> listed_under;         // set -> table it is listed under
};

// Number of an axis target: the last atom read (1..structure.atom_count) of that label, or
// structure.atom_count + k for dummy k (a dummy label wins over an atom of the same label);
// 0 when neither.
int target_number(const Records& r, std::string_view label);

// The first atom before atom i whose hydrogen kappa-set data equal those of atom i, or 0.
int first_h_equivalent(const Records& r, int i);
// The first atom before atom i that the equivalence test of the kappa sets accepts, or 0; from
// VERBOSE 3 the tests themselves are made, since they list what they compare.
int first_equivalent(Io& io, const Records& r, int i);
// The first kappa set 1..frames.kappa_count of scattering table `table` whose kappa and
// kappa' are 1.0 within 0.0001, or 0.
int free_kappa_set(const Records& r, int table);
// Brings the tables up to date after frames.kappa_table or frames.kappa of set k changed.
void kappa_set_changed(const Records& r, int k);
// Drops the tables, so that a new frame analysis starts from the records as they stand.
void forget_frame_index(Records& r);

}  // namespace kova
