// Lookup tables of the frame analysis. They answer the questions the per-atom work asks of all
// earlier atoms or all kappa sets (the last atom of a label, the first earlier atom that the
// kappa-set test accepts, the first free-atom set of a scattering table) with the answers the
// full scans give, so that a structure of 100000 atoms is not scanned once per atom.
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

// The tables of one frame analysis. The free-atom sets are taken from the kappa sets as they
// stand when the index is made and follow them through `set_kappa_table` and `set_kappas`,
// the writes of a set's scattering table and kappas while an index is held. The tables of the
// atoms are made from the records when first asked: the labels whenever other atoms have been
// read, and the equivalence data of an atom when a later atom first asks about it, when its
// framing is over and its data stay as they are. The questions fill the tables, so they take
// the index non-const.
class AtomAndKappaSetIndex {
public:
    explicit AtomAndKappaSetIndex(const Records& r);

private:
    // The tables of the atoms, made afresh when other atoms have been read.
    void follow_atoms(const Records& r);
    // The slot of `label` in the label table: the one holding an atom of that label, or the
    // free slot where it would go.
    std::size_t label_slot(const Records& r, std::string_view label) const;
    // Files every atom read under its label, a later atom of a label over an earlier one.
    void index_labels(const Records& r);
    // Lists set k under its table when it is a free-atom set, and nowhere else.
    void note_set(const Records& r, int k);

    int atom_count_ = -1;  // structure.atom_count the tables of the atoms were made for
    // The last atom of each label (without trailing blanks), open-addressed by the label's
    // hash: 0 marks a free slot; the size is a power of two, at least twice
    // structure.atom_count. Empty until a label is looked up.
    std::vector<int> last_atom_;
    FirstAtomByKey hydrogen_sets_;  // by the data the hydrogen kappa-set test compares
    FirstAtomByKey equivalents_;    // by the data the equivalence test of the kappa sets compares
    std::map<int, std::set<int>> free_sets_;  // scattering table -> free-atom sets
    std::map<int, int> listed_under_;         // set -> table it is listed under

    friend int target_number(const Records& r, AtomAndKappaSetIndex& index, std::string_view label);
    friend int first_h_equivalent(const Records& r, AtomAndKappaSetIndex& index, int i);
    friend int first_equivalent(Io& io, const Records& r, AtomAndKappaSetIndex& index, int i);
    friend int free_kappa_set(const Records& r, AtomAndKappaSetIndex& index, int table);
    friend void set_kappa_table(Records& r, AtomAndKappaSetIndex& index, int k, int table);
    friend void set_kappas(Records& r, AtomAndKappaSetIndex& index, int k, float kappa,
                           float kappa_prime);
};

// Number of an axis target: the last atom read (1..structure.atom_count) of that label, or
// structure.atom_count + k for dummy k (a dummy label wins over an atom of the same label);
// 0 when neither.
int target_number(const Records& r, AtomAndKappaSetIndex& index, std::string_view label);

// The first atom before atom i whose hydrogen kappa-set data equal those of atom i, or 0.
int first_h_equivalent(const Records& r, AtomAndKappaSetIndex& index, int i);
// The first atom before atom i that the equivalence test of the kappa sets accepts, or 0; from
// VERBOSE 3 the tests themselves are made, since they list what they compare.
int first_equivalent(Io& io, const Records& r, AtomAndKappaSetIndex& index, int i);
// The first kappa set 1..frames.kappa_count of scattering table `table` whose kappa and
// kappa' are 1.0 within 0.0001, or 0.
int free_kappa_set(const Records& r, AtomAndKappaSetIndex& index, int table);
// The scattering table (frames.kappa_table) of kappa set k, in the records and the index.
void set_kappa_table(Records& r, AtomAndKappaSetIndex& index, int k, int table);
// The kappa and kappa' (frames.kappa) of kappa set k, in the records and the index.
void set_kappas(Records& r, AtomAndKappaSetIndex& index, int k, float kappa, float kappa_prime);

}  // namespace kova
