// The chemical-equivalence test of two atoms: element, neighbour counts by element, planar-ring
// size, site symmetry and functional group, never geometry. The planar-ring size of an atom is
// that of the ring-membership query: the size of its one planar ring, or the sum of two.
#include "frames/equivalence.hpp"

#include <algorithm>
#include <string>

#include "shared/format.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace {

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
        if (check_ring != 0 && ring_membership(r, a).size != ring_membership(r, b).size)
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
