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

bool atoms_equivalent(Records& r, int a, int b, int check_symmetry, int check_group, int simple,
                      int check_ring) {
    if (a < 1 || b < 1 || a > r.atom_slots() || b > r.atom_slots()) return false;
    const bool talk = r.options.verbosity >= 3;
    const int listing = r.files.listing;
    auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
    if (talk) {
        r.io.write(listing, "");
        r.io.write(listing, " Checking if atoms " + trim(r.structure.label[ua]) + " and " +
                             trim(r.structure.label[ub]) + " are chemically equivalent:");
    }
    auto differ = [&](const std::string& reason) {
        if (talk) r.io.write(listing, "   atoms are NOT chemically equivalent : " + reason);
        return false;
    };

    const NeighbourTable& na = r.topology.neighbours[ua];
    const NeighbourTable& nb = r.topology.neighbours[ub];
    if (r.structure.atomic_number[ua] != r.structure.atomic_number[ub])
        return differ(" Diff. atomic numbers");
    if (na.count != nb.count) return differ(" Diff. number of neighbors");
    if (simple == 0) {
        if (na.type_count != nb.type_count) return differ(" Diff. number of neighbor types");
        for (int t = 1; t <= na.type_count; ++t) {
            // These two reasons are composed in a 40-character text and written at full length.
            if (type_entry(na.type_atomic_number, t) != type_entry(nb.type_atomic_number, t))
                return differ(pad(" Diff. atomic numbers of " + fi(t, 2) + "-th type", 40));
            if (type_entry(na.type_size, t) != type_entry(nb.type_size, t))
                return differ(pad(" Diff. num. of nei. of " + fi(t, 2) + "-th type", 40));
        }
        if (check_ring != 0 && ring_number(r, a) != ring_number(r, b))
            return differ(" Diff. ring memb numbers");
    }
    if (check_symmetry != 0 &&
        pad(r.structure.site_symmetry[ua], 5) != pad(r.structure.site_symmetry[ub], 5))
        return differ(" Diff. local symmetry");
    if (check_group != 0 && pad(r.frames.group_name[ua], 40) != pad(r.frames.group_name[ub], 40))
        return differ(" Diff. functional groups");
    if (talk)
        r.io.write(listing, std::string(" ") + "  YES, these atoms are chemically equivalent !");
    return true;
}

}  // namespace kova
