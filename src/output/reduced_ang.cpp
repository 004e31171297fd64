// The two files share their records but the name: reduced.ang gives the atom's label,
// reduced_1.ang the element symbol followed by the entry number with every blank squeezed out
// ("C12" for entry 12, a carbon atom), each in 8 columns.
#include "output/reduced_ang.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

namespace {

// The element symbol (2 characters) and the entry number in 6 columns, blanks squeezed out.
std::string entry_name(const Records& r, int atom, int entry) {
    std::string name = pad(element_symbol(r, r.structure.atomic_number[atom]), 2) + fi(entry, 6);
    std::erase(name, ' ');
    return pad(name, 8);
}

}  // namespace

void write_reduced_ang(Io& io, const Records& r) {
    const ReducedTable& t = r.topology.reduced;
    io.write(Files::reduced_ang, "ANGSTROM");
    io.write(Files::reduced_1_ang, "ANGSTROM");
    for (int k = 1; k <= t.count; ++k) {
        const int a = t.atom[static_cast<std::size_t>(k)];
        const auto u = static_cast<std::size_t>(a);
        const Vec3f& x = r.structure.cart[u];
        const std::string xyz = ff(x[0], 12, 4) + ff(x[1], 12, 4) + ff(x[2], 12, 4);
        io.write(Files::reduced_ang, "ATOM " + pad(r.structure.label[u], 8) + xyz);
        io.write(Files::reduced_1_ang, "ATOM " + entry_name(r, a, k) + xyz);
    }
}

}  // namespace kova
