// complete.ang holds one "ATOM" record per atom of the working list and nothing else (no
// "ANGSTROM" line, unlike the other atom lists), the label right-justified in 10 columns.
#include "output/complete_ang.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

namespace {

constexpr int complete_ang_channel = 44;

}  // namespace

void write_complete_ang(Io& io, const Structure& structure, const Topology& topology) {
    if (topology.list_size <= structure.atom_count) return;
    io.create(complete_ang_channel, "complete.ang");
    for (int k = 1; k <= topology.list_size; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const Vec3f& x = structure.cart[u];
        io.write(complete_ang_channel, "ATOM " + fa(pad(structure.label[u], 8), 10) + "   " +
                                           ff(x[0], 12, 4) + ff(x[1], 12, 4) + ff(x[2], 12, 4));
    }
    io.close(complete_ang_channel);
}

}  // namespace kova
