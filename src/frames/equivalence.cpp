// The chemical-equivalence test of two atoms: element, neighbour counts by element, planar-ring
// size, site symmetry and functional group, never geometry. The ring size of an atom comes
// from a per-atom index of the rings holding it, so that the test does not walk the ring list.
#include "frames/equivalence.hpp"

#include <algorithm>
#include <string>

#include "shared/format.hpp"

namespace kova {

namespace {

long long ring_members(const Records& r) {
    long long n = 0;
    int nor = std::min(r.topology.ring_count, static_cast<int>(r.topology.ring_size.size()) - 1);
    for (int k = 1; k <= nor; ++k) n += r.topology.ring_size[static_cast<std::size_t>(k)];
    return n;
}

void sync_rings(Records& r) {
    RingIndex& ix = r.index.rings;
    long long members = ring_members(r);
    if (ix.ring_count == r.topology.ring_count && ix.members == members) return;
    ix = RingIndex{};
    ix.ring_count = r.topology.ring_count;
    ix.members = members;
    int nor = std::min(r.topology.ring_count, static_cast<int>(r.topology.ring_size.size()) - 1);
    nor = std::min(nor, static_cast<int>(r.topology.ring_atom.size()) - 1);
    for (int k = 1; k <= nor; ++k) {
        const std::vector<int>& at = r.topology.ring_atom[static_cast<std::size_t>(k)];
        int size = std::min(r.topology.ring_size[static_cast<std::size_t>(k)],
                            static_cast<int>(at.size()) - 1);
        for (int m = 1; m <= size; ++m) {
            int a = at[static_cast<std::size_t>(m)];
            if (a < 1) continue;
            if (static_cast<int>(ix.held.size()) <= a)
                ix.held.resize(static_cast<std::size_t>(a) + 1, std::array<int, 3>{});
            std::array<int, 3>& h = ix.held[static_cast<std::size_t>(a)];
            if (h[0] >= 1 && (h[1] == k || h[2] == k)) continue;  // a ring counts once
            if (h[0] < 3) ++h[0];
            if (h[0] == 1) h[1] = k;
            if (h[0] == 2) h[2] = k;
        }
    }
}

// Size of the one planar ring holding the atom, or the sum of two planar ones; 0 otherwise.
int ring_number(Records& r, int a) {
    sync_rings(r);
    const RingIndex& ix = r.index.rings;
    if (a < 1 || a >= static_cast<int>(ix.held.size())) return 0;
    const std::array<int, 3>& h = ix.held[static_cast<std::size_t>(a)];
    auto planar_size = [&r](int k) {
        auto u = static_cast<std::size_t>(k);
        return u < r.topology.ring_planar.size() && r.topology.ring_planar[u]
                   ? r.topology.ring_size[u]
                   : 0;
    };
    if (h[0] == 1) return planar_size(h[1]);
    if (h[0] == 2) return planar_size(h[1]) + planar_size(h[2]);
    return 0;
}

int type_entry(const std::vector<int>& v, int t) {
    return t >= 0 && t < static_cast<int>(v.size()) ? v[static_cast<std::size_t>(t)] : 0;
}

}  // namespace

bool atoms_equivalent(Io& io, Records& r, int a, int b, const EquivalenceChecks& checks) {
    if (a < 1 || b < 1 || a > r.atom_slots() || b > r.atom_slots()) return false;
    const bool list_test = r.options.verbosity >= 3;
    const int listing = r.files.listing;
    const auto atom_a = static_cast<std::size_t>(a), atom_b = static_cast<std::size_t>(b);
    if (list_test) {
        io.write(listing, "");
        io.write(listing, " Checking if atoms " + trim(r.structure.label[atom_a]) + " and " +
                              trim(r.structure.label[atom_b]) + " are chemically equivalent:");
    }
    auto differ = [&](const std::string& reason) {
        if (list_test) io.write(listing, "   atoms are NOT chemically equivalent : " + reason);
        return false;
    };

    const NeighbourTable& table_a = r.topology.neighbours[atom_a];
    const NeighbourTable& table_b = r.topology.neighbours[atom_b];
    if (r.structure.atomic_number[atom_a] != r.structure.atomic_number[atom_b])
        return differ(" Diff. atomic numbers");
    if (table_a.count != table_b.count) return differ(" Diff. number of neighbors");
    if (!checks.simple) {
        if (table_a.type_count != table_b.type_count)
            return differ(" Diff. number of neighbor types");
        for (int t = 1; t <= table_a.type_count; ++t) {
            // These two reasons are composed in a 40-character text and written at full length.
            if (type_entry(table_a.type_atomic_number, t) !=
                type_entry(table_b.type_atomic_number, t))
                return differ(pad(" Diff. atomic numbers of " + fi(t, 2) + "-th type", 40));
            if (type_entry(table_a.type_size, t) != type_entry(table_b.type_size, t))
                return differ(pad(" Diff. num. of nei. of " + fi(t, 2) + "-th type", 40));
        }
        if (checks.ring && ring_number(r, a) != ring_number(r, b))
            return differ(" Diff. ring memb numbers");
    }
    if (checks.site_symmetry &&
        pad(r.structure.site_symmetry[atom_a], 5) != pad(r.structure.site_symmetry[atom_b], 5))
        return differ(" Diff. local symmetry");
    if (checks.group &&
        pad(r.frames.group_name[atom_a], 40) != pad(r.frames.group_name[atom_b], 40))
        return differ(" Diff. functional groups");
    if (list_test) io.write(listing, "   YES, these atoms are chemically equivalent !");
    return true;
}

}  // namespace kova
