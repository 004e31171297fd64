// complete.ang holds one "ATOM" record per atom of the working list and nothing else (no
// "ANGSTROM" line, unlike the other atom lists), the label right-justified in 10 columns.
#include "output/complete_ang.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

bool has_complete_ang(const Structure& structure, const Topology& topology) {
    return topology.list_size > structure.atom_count;
}

void write_complete_ang(Io& io, const Structure& structure, const Topology& topology) {
    for (int k = 1; k <= topology.list_size; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const Vec3f& x = structure.cart[u];
        io.write(Files::complete_ang, "ATOM " + fa(pad(structure.label[u], 8), 10) + "   " +
                                           ff(x[0], 12, 4) + ff(x[1], 12, 4) + ff(x[2], 12, 4));
    }
}

}  // namespace kova
