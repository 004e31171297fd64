// The lookup tables of the frame analysis. Every key holds exactly the fields that the scan it
// replaces compares, so a key match and the scan's test agree; where the scan's test is a
// routine with listing lines of its own (the equivalence test at VERBOSE 3), the scan itself
// runs, since its listing is part of the result. An atom is entered when a later atom first
// asks about it: by then its framing is over and its data stay as they are.
#include "frames/atom_and_kappa_set_index.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "frames/equivalence.hpp"
#include "shared/format.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace {

std::string_view trimmed(std::string_view s) { return s.substr(0, s.find_last_not_of(' ') + 1); }

std::size_t label_hash(std::string_view label) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : label) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

void add_int(std::string& key, int v) {
    char buf[16];
    key.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    key += ',';
}

// The group name, scattering table and parent data the hydrogen kappa-set test compares (any
// element may match).
std::string hydrogen_set_key(const Records& r, int j) {
    std::string key;
    key.reserve(64);
    put_pad(key, r.frames.group_name[j], 40);
    key += '|';
    add_int(key, r.structure.scattering_table[j]);
    add_int(key, r.frames.parent_atomic_number[j]);
    add_int(key, r.frames.parent_neighbours[j]);
    add_int(key, r.frames.parent_hydrogens[j]);
    return key;
}

// What the equivalence test of the kappa sets compares: element, neighbour count, neighbour
// types with their counts, ring number, site symmetry and functional group.
std::string equivalence_key(const Records& r, int j) {
    const NeighbourTable& t = r.topology.neighbours[j];
    std::string key;
    key.reserve(96);
    add_int(key, r.structure.atomic_number[j]);
    add_int(key, t.count);
    add_int(key, t.type_count);
    for (int k = 1; k <= t.type_count; ++k) {
        add_int(key,
                k < static_cast<int>(t.type_atomic_number.size()) ? t.type_atomic_number[k] : 0);
        add_int(key, k < static_cast<int>(t.type_size.size()) ? t.type_size[k] : 0);
    }
    add_int(key, ring_membership(r, j).size);
    put_pad(key, r.structure.site_symmetry[j], 5);
    key += '|';
    put_pad(key, r.frames.group_name[j], 40);
    return key;
}

// The table holding the keys of atoms 1..i-1. A question about an atom before those entered
// comes from a new pass over the atoms, which starts the table afresh.
template <typename Key>
const FirstAtomByKey& keys_before(FirstAtomByKey& table, int i, Key key) {
    if (table.entered >= i) table = FirstAtomByKey{};
    for (int j = table.entered + 1; j < i; ++j) table.first.try_emplace(key(j), j);
    table.entered = std::max(table.entered, i - 1);
    return table;
}

// Set k has the scattering table `table` and the kappas of the free atom; whether it counts
// as given values (k up to frames.kappa_count) is asked apart.
bool free_atom_kappas(const Records& r, int k, int table) {
    if (k < 1 || k >= static_cast<int>(r.frames.kappa_table.size()) ||
        k >= static_cast<int>(r.frames.kappa.size()))
        return false;
    return r.frames.kappa_table[k] == table && std::fabs(r.frames.kappa[k][1] - 1.0f) <= 0.0001f &&
           std::fabs(r.frames.kappa[k][2] - 1.0f) <= 0.0001f;
}

}  // namespace

AtomAndKappaSetIndex::AtomAndKappaSetIndex(const Records& r) {
    const int sets = static_cast<int>(std::min(r.frames.kappa_table.size(), r.frames.kappa.size()));
    for (int k = 1; k < sets; ++k) note_set(r, k);
}

void AtomAndKappaSetIndex::follow_atoms(const Records& r) {
    if (atom_count_ == r.structure.atom_count) return;
    atom_count_ = r.structure.atom_count;
    last_atom_.clear();
    hydrogen_sets_ = FirstAtomByKey{};
    equivalents_ = FirstAtomByKey{};
}

std::size_t AtomAndKappaSetIndex::label_slot(const Records& r, std::string_view label) const {
    const std::size_t mask = last_atom_.size() - 1;
    for (std::size_t s = label_hash(label) & mask;; s = (s + 1) & mask) {
        const int j = last_atom_[s];
        if (j == 0 || trimmed(r.structure.label[static_cast<std::size_t>(j)]) == label) return s;
    }
}

void AtomAndKappaSetIndex::index_labels(const Records& r) {
    const int atom_count = std::max(r.structure.atom_count, 0);
    last_atom_.assign(std::bit_ceil(2 * static_cast<std::size_t>(atom_count) + 2), 0);
    for (int j = 1; j <= atom_count; ++j) {
        const std::string_view label = trimmed(r.structure.label[static_cast<std::size_t>(j)]);
        last_atom_[label_slot(r, label)] = j;
    }
}

void AtomAndKappaSetIndex::note_set(const Records& r, int k) {
    if (auto it = listed_under_.find(k); it != listed_under_.end()) {
        free_sets_[it->second].erase(k);
        listed_under_.erase(it);
    }
    if (k < 1 || k >= static_cast<int>(r.frames.kappa_table.size())) return;
    const int table = r.frames.kappa_table[k];
    if (!free_atom_kappas(r, k, table)) return;
    free_sets_[table].insert(k);
    listed_under_[k] = table;
}

int target_number(const Records& r, AtomAndKappaSetIndex& index, std::string_view label) {
    const std::string t = trim(label);
    if (t.size() > 3 && t.compare(0, 3, "DUM") == 0 && t.size() <= 3 + 9) {
        bool digits = true;
        for (std::size_t p = 3; p < t.size(); ++p) digits = digits && t[p] >= '0' && t[p] <= '9';
        if (digits) {
            const long k = std::stol(t.substr(3));
            if (k >= 1 && k <= r.frames.dummy_count && same_text(r.frames.dummy_label[k], t))
                return r.structure.atom_count + static_cast<int>(k);
        }
    }
    index.follow_atoms(r);
    if (index.last_atom_.empty()) index.index_labels(r);
    return index.last_atom_[index.label_slot(r, t)];
}

int first_h_equivalent(const Records& r, AtomAndKappaSetIndex& index, int i) {
    index.follow_atoms(r);
    const FirstAtomByKey& table =
        keys_before(index.hydrogen_sets_, i, [&r](int j) { return hydrogen_set_key(r, j); });
    const auto it = table.first.find(hydrogen_set_key(r, i));
    return it == table.first.end() ? 0 : it->second;
}

int first_equivalent(Io& io, const Records& r, AtomAndKappaSetIndex& index, int i) {
    auto scan = [&io, &r, i] {
        for (int j = 1; j < i; ++j)
            if (atoms_equivalent(io, r, i, j, kappa_set_checks)) return j;
        return 0;
    };
    // At VERBOSE 3 the test lists every comparison, so the comparisons themselves are made.
    if (r.options.verbosity >= 3) return scan();
    index.follow_atoms(r);
    const FirstAtomByKey& table =
        keys_before(index.equivalents_, i, [&r](int j) { return equivalence_key(r, j); });
    const auto it = table.first.find(equivalence_key(r, i));
    if (it == table.first.end()) return 0;
    if (atoms_equivalent(io, r, i, it->second, kappa_set_checks)) return it->second;
    return scan();  // the key and the test disagree: trust the test
}

int free_kappa_set(const Records& r, AtomAndKappaSetIndex& index, int table) {
    const auto it = index.free_sets_.find(table);
    if (it == index.free_sets_.end()) return 0;
    // In ascending order: the first set that has been given values decides, and none after a
    // set beyond frames.kappa_count has.
    for (auto k = it->second.begin(); k != it->second.end() && *k <= r.frames.kappa_count;) {
        if (free_atom_kappas(r, *k, table)) return *k;
        index.listed_under_.erase(*k);  // written past the index: it is free no more
        k = it->second.erase(k);
    }
    return 0;
}

void set_kappa_table(Records& r, AtomAndKappaSetIndex& index, int k, int table) {
    r.frames.kappa_table[static_cast<std::size_t>(k)] = table;
    index.note_set(r, k);
}

void set_kappas(Records& r, AtomAndKappaSetIndex& index, int k, float kappa, float kappa_prime) {
    auto& set = r.frames.kappa[static_cast<std::size_t>(k)];
    set[1] = kappa;
    set[2] = kappa_prime;
    index.note_set(r, k);
}

}  // namespace kova
