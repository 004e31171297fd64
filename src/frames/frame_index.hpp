// Lookup tables of the frame analysis. They answer the questions the per-atom work asks of all
// earlier atoms or all kappa sets (the last atom of a label, the first earlier atom that the
// kappa-set test accepts, the first free-atom set of a scattering table) with the answers the
// full scans give, so that a structure of 100000 atoms is not scanned once per atom.
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "shared/records.hpp"

namespace kova {

struct FrameIndex {
    int atom_count = -1;  // structure.atom_count when the tables were built
    int entered = 0;      // atoms 1..entered have been entered
    // The last atom of each label (without trailing blanks), open-addressed by the label's
    // hash: 0 marks a free slot; the size is a power of two, at least twice
    // structure.atom_count.
    std::vector<int> last_atom;
    std::unordered_map<std::string, int> first_by_h_key;  // hydrogen kappa-set key -> first atom
    std::unordered_map<std::string, int> first_by_key;    // equivalence key -> first atom
    std::map<int, std::set<int>> free_sets;          // scattering table -> free-atom sets
    std::map<int, int> listed_under;                 // set -> table it is listed under
};

// The tables, made to cover atoms 1..i-1 and the kappa sets as they stand, for framing atom i.
FrameIndex& frame_index_for(Records& r, int i);
// Enters atom i into the tables once it is framed.
void enter_framed_atom(Records& r, int i);

// Number of an axis target: the last atom read (1..structure.atom_count) of that label, or
// structure.atom_count + k for dummy k (a dummy label wins over an atom of the same label);
// 0 when neither.
int target_number(Records& r, const std::string& label);

// The first earlier atom whose hydrogen kappa-set data equal those of atom i, or 0.
int first_h_equivalent(Records& r, int i);
// The first earlier atom that atoms_equivalent(i, j, 1, 1, 0, 1) accepts, or 0.
int first_equivalent(Records& r, int i);
// The first kappa set 1..frames.kappa_set_count of scattering table `table` whose kappa and
// kappa' are 1.0 within 0.0001, or 0.
int free_kappa_set(Records& r, int table);
// Brings the tables up to date after frames.kappa_table or frames.kappa of set k changed.
void kappa_set_changed(Records& r, int k);

}  // namespace kova
