// The plain scans of the topology stages, written as directly as the rules read: every atom of
// the working list visited, every scan restarted, every path searched backwards. The indexed
// stages must give exactly what they give; they are kept here only to check them against.
#pragma once

#include <algorithm>
#include <array>
#include <tuple>
#include <cmath>
#include <utility>
#include <vector>

#include "shared/records.hpp"
#include "topology/rings.hpp"

namespace kova::test {

inline int scan_length(const Records& r) {
    return std::clamp(r.topology.list_size, 0, r.atom_slots());
}

// The neighbour search over the whole working list in index order, then the sort by distance
// (equal distances stay in index order). No capacity: the tests that use it stay below 1000.
inline NeighbourList search_neighbours_scan(const Records& r, int atom, float radius) {
    NeighbourList g;
    g.atom.assign(1, 0);
    g.distance.assign(1, 0.0f);
    g.type_size.assign(1, 0);
    g.type_atomic_number.assign(1, 0);
    g.type_atom.assign(1, std::vector<int>(1, 0));
    if (atom < 1 || atom > r.atom_slots()) return g;
    const Structure& s = r.structure;
    for (int j = 1; j <= scan_length(r); ++j) {
        if (j == atom) continue;
        if (s.occupancy_flag[atom] == -1 && s.occupancy_flag[j] == -1 &&
            static_cast<double>(std::fabs(s.occupancy[atom] - s.occupancy[j])) > 0.01)
            continue;
        const float d = distance(s.cart[atom], s.cart[j]);
        const float own = covalent_radius(r, s.atomic_number[atom]) + r.options.tolerances.bond;
        const float limit = radius > 0.0f ? radius : own + covalent_radius(r, s.atomic_number[j]);
        if (!(d <= limit) || d < 0.5f) continue;
        bool same_site = false;
        for (int k = 1; k <= g.count && !same_site; ++k)
            same_site = distance(s.cart[j], s.cart[g.atom[k]]) < 0.01f;
        if (same_site) continue;
        ++g.count;
        g.atom.push_back(j);
        g.distance.push_back(d);
        if (s.occupancy_flag[j] == -1) g.any_disordered = true;
    }
    std::vector<std::pair<float, int>> by_distance;
    for (int k = 1; k <= g.count; ++k) by_distance.emplace_back(g.distance[k], g.atom[k]);
    std::stable_sort(by_distance.begin(), by_distance.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (int k = 1; k <= g.count; ++k) std::tie(g.distance[k], g.atom[k]) = by_distance[k - 1];
    return g;
}

// The completion of molecules as a scan that starts again from its beginning after every
// image it accepts. Nothing is listed; no capacity check.
inline void complete_molecules_scan(Records& r) {
    Structure& s = r.structure;
    Topology& t = r.topology;
    t.list_size = s.atom_count;
    const int nat = std::clamp(s.atom_count, 0, r.atom_slots());
    const int nsym = std::clamp(s.symmetry.count, 0,
                                static_cast<int>(std::min(s.symmetry.rotation.size(),
                                                          s.symmetry.translation.size())) -
                                    1);
    const long long nc = r.options.ncells;
    auto image = [&](int i, int n, float a, float b, float c, Vec3f& xf, Vec3f& xc) {
        const Mat3f& rot = s.symmetry.rotation[n];
        const Vec3f& x = s.frac[i];
        const float shift[3] = {a, b, c};
        for (int k = 0; k < 3; ++k)
            xf[k] = rot[0][k] * x[0] + rot[1][k] * x[1] + rot[2][k] * x[2] +
                    s.symmetry.translation[n][k] + shift[k];
        const Mat3f& m = s.frac_to_cart;
        for (int k = 0; k < 3; ++k) xc[k] = m[k][0] * xf[0] + m[k][1] * xf[1] + m[k][2] * xf[2];
    };
    bool added = true;
    while (added) {
        added = false;
        for (int i = 1; i <= nat && !added; ++i)
            for (int n = 1; n <= nsym && !added; ++n)
                for (long long a = -nc; a <= nc && !added; ++a)
                    for (long long b = -nc; b <= nc && !added; ++b)
                        for (long long c = -nc; c <= nc && !added; ++c) {
                            if (n == 1 && a == 0 && b == 0 && c == 0) continue;
                            Vec3f xf, xc;
                            image(i, n, static_cast<float>(a), static_cast<float>(b),
                                  static_cast<float>(c), xf, xc);
                            bool coincident = false, bonded = false;
                            for (int m = 1; m <= t.list_size && !coincident; ++m) {
                                const float d = distance(xc, s.cart[m]);
                                coincident = static_cast<double>(d) < 0.001;
                                bonded = bonded || d <= covalent_radius(r, s.atomic_number[m]) +
                                                            covalent_radius(r, s.atomic_number[i]) +
                                                            r.options.tolerances.bond;
                            }
                            if (coincident || !bonded) continue;
                            const int k = t.list_size + 1;
                            r.ensure_atoms(k);
                            s.label[k] = s.label[i];
                            s.atomic_number[k] = s.atomic_number[i];
                            s.occupancy[k] = s.occupancy[i];
                            s.occupancy_flag[k] = s.occupancy_flag[i];
                            s.frac[k] = Fractional{xf};
                            s.cart[k] = Cartesian{xc};
                            t.source_atom[k] = i;
                            ++t.image_count[i];
                            t.list_size = k;
                            added = true;
                        }
    }
}

// The reduction as its cycles: in each, every remaining entry is compared with every other.
struct ReductionScan {
    std::vector<std::vector<int>> first_links;    // cycle 0: atoms linked to atom l
    std::vector<std::pair<int, int>> cycles;      // entries at the start of each cycle, removed
    ReducedTable table;
};

inline ReductionScan reduce_connectivity_scan(const Records& r) {
    const Structure& s = r.structure;
    auto linked = [&](int a, int b) {
        if (s.occupancy_flag[a] == -1) return false;
        const float limit =
            (covalent_radius(r, s.atomic_number[a]) + r.options.tolerances.bond) +
            covalent_radius(r, s.atomic_number[b]);
        return distance(s.cart[a], s.cart[b]) <= limit;
    };
    ReductionScan red;
    std::vector<int> atom(1, 0);
    for (int k = 1; k <= scan_length(r); ++k) atom.push_back(k);
    for (int cycle = 0;; ++cycle) {
        const int entries = static_cast<int>(atom.size()) - 1;
        std::vector<std::vector<int>> links(atom.size(), std::vector<int>(1, 0));
        for (int l = 1; l <= entries; ++l)
            for (int l2 = 1; l2 <= entries; ++l2)
                if (l2 != l && linked(atom[l], atom[l2])) links[l].push_back(l2);
        if (cycle == 0) red.first_links = links;
        std::vector<int> kept(1, 0);
        for (int l = 1; l <= entries; ++l)
            if (links[l].size() >= 3) kept.push_back(atom[l]);
        const int removed = entries - (static_cast<int>(kept.size()) - 1);
        red.cycles.emplace_back(entries, removed);
        if (removed == 0) {
            red.table.count = entries;
            red.table.atom = atom;
            red.table.links = links;
            return red;
        }
        atom = std::move(kept);
    }
}

// The ring search over the reduced table of the records, with every ring closure and every
// back-track found by searching the path backwards and every duplicate by counting equal
// pairs over all stored rings: the members (atom indices) of the rings in the order stored.
// The start entry is exchanged in a copy of the table.
inline std::vector<std::vector<int>> find_rings_scan(const Records& r) {
    const ReducedTable& t = r.topology.reduced;
    const int n = std::max(0, std::min({t.count, static_cast<int>(t.atom.size()) - 1,
                                        static_cast<int>(t.links.size()) - 1}));
    std::vector<int> atom(t.atom.begin(), t.atom.begin() + n + 1);
    std::vector<std::vector<int>> links(static_cast<std::size_t>(n) + 1);
    for (int l = 1; l <= n; ++l)
        for (std::size_t c = 1; c < t.links[l].size(); ++c)
            if (t.links[l][c] >= 1 && t.links[l][c] <= n) links[l].push_back(t.links[l][c]);
    std::vector<std::vector<int>> rings;
    if (n < 3) return rings;
    int start = 0;
    for (int l = 1; l <= n && start == 0; ++l)
        if (links[l].size() > 2) start = l;
    if (start > 1) {
        std::swap(atom[1], atom[start]);
        std::swap(links[1], links[start]);
        for (auto& row : links)
            for (int& e : row) e = e == 1 ? start : e == start ? 1 : e;
    }
    std::vector<std::vector<char>> unwalked(static_cast<std::size_t>(n) + 1);
    for (int l = 1; l <= n; ++l) unwalked[l].assign(links[l].size(), 1);
    std::vector<char> visited(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> path(1, 0);
    auto begin_at = [&](int e) {
        path.assign({0, e, links[e][0]});
        visited[e] = visited[links[e][0]] = 1;
        unwalked[e][0] = 0;
    };
    auto any_unwalked = [&](int e) {
        return std::find(unwalked[e].begin(), unwalked[e].end(), 1) != unwalked[e].end();
    };
    auto is_stored = [&](const std::vector<int>& members) {
        for (const auto& ring : rings) {
            if (ring.size() != members.size()) continue;
            std::size_t pairs = 0;
            for (int a : ring)
                for (int b : members) pairs += a == b ? 1 : 0;
            if (pairs == members.size()) return true;
        }
        return false;
    };
    bool walking = !links[1].empty();
    if (walking) begin_at(1);
    for (;;) {
        if (walking) {
            const int np = static_cast<int>(path.size()) - 1;
            const int cur = path[np], prev = np > 1 ? path[np - 1] : 0;
            int c = 0;
            while (c < static_cast<int>(links[cur].size()) &&
                   !(unwalked[cur][c] && links[cur][c] != prev))
                ++c;
            if (c < static_cast<int>(links[cur].size())) {
                unwalked[cur][c] = 0;
                const int e = links[cur][c];
                path.push_back(e);
                visited[e] = 1;
                int j = np;
                while (j >= 1 && path[j] != e) --j;
                const int size = np + 1 - j;
                if (j >= 1 && size <= r.options.rings.max_size &&
                    size >= r.options.rings.min_size && path[j + 1] != path[np]) {
                    std::vector<int> members;
                    for (int p = j; p <= np; ++p) members.push_back(atom[path[p]]);
                    if (!is_stored(members)) rings.push_back(members);
                }
                continue;
            }
            int k = np - 1;
            while (k >= 1 && !(links[path[k]].size() > 2 && any_unwalked(path[k]))) --k;
            if (k >= 1) {
                path.resize(static_cast<std::size_t>(k) + 1);
                continue;
            }
        }
        int e = 1;
        while (e <= n && (visited[e] || links[e].empty())) ++e;
        if (e > n) return rings;
        begin_at(e);
        walking = true;
    }
}

// How an atom lies in the rings, by the walk over every ring and its members.
inline RingMembership ring_membership_scan(const Records& r, int atom) {
    const Topology& g = r.topology;
    int count = 0, first = 0, second = 0;
    const int nor = std::min(g.ring_count, static_cast<int>(g.ring_size.size()) - 1);
    for (int q = 1; q <= nor; ++q) {
        const int size = std::min(g.ring_size[q], static_cast<int>(g.ring_atom[q].size()) - 1);
        if (std::find(g.ring_atom[q].begin() + 1, g.ring_atom[q].begin() + size + 1, atom) ==
            g.ring_atom[q].begin() + size + 1)
            continue;
        ++count;
        if (count == 1) first = q;
        if (count == 2) second = q;
    }
    RingMembership m;
    m.in_ring = count > 0;
    const bool p1 = count >= 1 && g.ring_planar[first], p2 = count >= 2 && g.ring_planar[second];
    if (count == 1 && p1) {
        m.planar = true;
        m.ring = first;
        m.size = g.ring_size[first];
    } else if (count == 2 && p1 && p2) {
        m.fused = true;
        m.ring = first + second;
        m.size = g.ring_size[first] + g.ring_size[second];
    } else if (count == 2 && (p1 || p2)) {
        m.planar = true;
        m.ring = p1 ? first : second;
        m.size = g.ring_size[m.ring];
    }
    return m;
}

}  // namespace kova::test
