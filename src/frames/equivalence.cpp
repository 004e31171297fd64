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

bool atoms_equivalent(Io& io, const Records& r, int a, int b, const EquivalenceChecks& checks) {
    if (a < 1 || b < 1 || a > r.atom_slots() || b > r.atom_slots()) return false;
    const bool list_test = r.options.verbosity >= 3;
    const int listing = Files::listing;
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
        if (checks.ring && ring_membership(r, a).size != ring_membership(r, b).size)
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
