// The lookup tables of the frame analysis. Every key holds exactly the fields that the scan it
// replaces compares, so a key match and the scan's test agree; where the scan's test is a
// routine with listing lines of its own (the equivalence test at VERBOSE 3), the scan itself
// runs, since its listing is part of the result.
#include "frames/frame_index.hpp"

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

std::size_t label_hash(std::string_view t) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : t) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

// The slot of label t in the table: the one holding an atom of that label, or the free slot
// where it would go.
std::size_t label_slot(const Records& r, const FrameIndex& ix, std::string_view t) {
    const std::size_t mask = ix.last_atom.size() - 1;
    for (std::size_t s = label_hash(t) & mask;; s = (s + 1) & mask) {
        const int j = ix.last_atom[s];
        if (j == 0 || trimmed(r.structure.label[static_cast<std::size_t>(j)]) == t) return s;
    }
}

void index_labels(const Records& r, FrameIndex& ix) {
    const int nat = std::max(r.structure.atom_count, 0);
    ix.last_atom.assign(std::bit_ceil(2 * static_cast<std::size_t>(nat) + 2), 0);
    for (int j = 1; j <= nat; ++j)
        ix.last_atom[label_slot(r, ix, trimmed(r.structure.label[static_cast<std::size_t>(j)]))] =
            j;
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

// What atoms_equivalent(i, j, 1, 1, 0, 1) compares: element, neighbour count, neighbour types with
// their counts, ring number, site symmetry and functional group.
std::string equivalence_key(Records& r, int j) {
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

bool is_free_set(const Records& r, int k, int table) {
    if (k < 1 || k > r.frames.kappa_count || k >= static_cast<int>(r.frames.kappa_table.size()))
        return false;
    return r.frames.kappa_table[k] == table && std::fabs(r.frames.kappa[k][1] - 1.0f) <= 0.0001f &&
           std::fabs(r.frames.kappa[k][2] - 1.0f) <= 0.0001f;
}

void enter(Records& r, FrameIndex& ix, int j) {
    ix.first_by_h_key.try_emplace(hydrogen_set_key(r, j), j);
    ix.first_by_key.try_emplace(equivalence_key(r, j), j);
    ix.entered = j;
}

void note_set(Records& r, FrameIndex& ix, int k) {
    if (auto it = ix.listed_under.find(k); it != ix.listed_under.end()) {
        ix.free_sets[it->second].erase(k);
        ix.listed_under.erase(it);
    }
    if (k < 1 || k >= static_cast<int>(r.frames.kappa_table.size())) return;
    int t = r.frames.kappa_table[k];
    if (!is_free_set(r, k, t)) return;
    ix.free_sets[t].insert(k);
    ix.listed_under[k] = t;
}

FrameIndex& index_of(Records& r) {
    if (!r.frame_index) r.frame_index = std::make_shared<FrameIndex>();
    return *r.frame_index;
}

}  // namespace

FrameIndex& frame_index_for(Records& r, int i) {
    FrameIndex& ix = index_of(r);
    if (i == 1 || ix.entered != i - 1 || ix.atom_count != r.structure.atom_count) {
        // A new frame analysis (or atoms framed out of order): rebuild from the records.
        ix = FrameIndex{};
        ix.atom_count = r.structure.atom_count;
        index_labels(r, ix);
        for (int j = 1; j < i; ++j) enter(r, ix, j);
        ix.entered = i - 1;
        for (int k = 1; k <= r.frames.kappa_count; ++k) note_set(r, ix, k);
    }
    return ix;
}

void enter_framed_atom(Records& r, int i) {
    FrameIndex& ix = index_of(r);
    if (ix.entered == i - 1) enter(r, ix, i);
}

int target_number(Records& r, const std::string& label) {
    std::string t = trim(label);
    if (t.size() > 3 && t.compare(0, 3, "DUM") == 0 && t.size() <= 3 + 9) {
        bool digits = true;
        for (std::size_t p = 3; p < t.size(); ++p) digits = digits && t[p] >= '0' && t[p] <= '9';
        if (digits) {
            long k = std::stol(t.substr(3));
            if (k >= 1 && k <= r.frames.dummy_count && same_text(r.frames.dummy_label[k], t))
                return r.structure.atom_count + static_cast<int>(k);
        }
    }
    FrameIndex& ix = index_of(r);
    if (ix.atom_count != r.structure.atom_count || ix.last_atom.empty()) {
        ix.atom_count = r.structure.atom_count;
        index_labels(r, ix);
    }
    return ix.last_atom[label_slot(r, ix, t)];
}

int first_h_equivalent(Records& r, int i) {
    FrameIndex& ix = frame_index_for(r, i);
    auto it = ix.first_by_h_key.find(hydrogen_set_key(r, i));
    return it == ix.first_by_h_key.end() ? 0 : it->second;
}

int first_equivalent(Records& r, int i) {
    auto scan = [&r, i] {
        for (int j = 1; j < i; ++j)
            if (atoms_equivalent(r, i, j, 1, 1, 0, 1)) return j;
        return 0;
    };
    // At VERBOSE 3 the test lists every comparison, so the comparisons themselves are made.
    if (r.options.verbosity >= 3) return scan();
    FrameIndex& ix = frame_index_for(r, i);
    auto it = ix.first_by_key.find(equivalence_key(r, i));
    if (it == ix.first_by_key.end()) return 0;
    if (atoms_equivalent(r, i, it->second, 1, 1, 0, 1)) return it->second;
    return scan();  // the key and the test disagree: trust the test
}

int free_kappa_set(Records& r, int table) {
    FrameIndex& ix = index_of(r);
    auto it = ix.free_sets.find(table);
    if (it == ix.free_sets.end()) return 0;
    for (auto k = it->second.begin(); k != it->second.end();) {
        if (is_free_set(r, *k, table)) return *k;
        ix.listed_under.erase(*k);
        k = it->second.erase(k);
    }
    return 0;
}

void kappa_set_changed(Records& r, int k) { note_set(r, index_of(r), k); }

}  // namespace kova
