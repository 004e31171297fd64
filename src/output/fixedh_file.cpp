// fixedH.ins has no head and no end: one record per atom, with U11 alone even for an
// anisotropic atom.
#include "output/fixedh_file.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

void write_fixedh_atom(Io& io, const Records& r, int i) {
    const auto s = static_cast<std::size_t>(i);
    const Vec3f& x = r.structure.frac[s];
    // cols 1-8 label, 10-13 table, 16-51 x y z, 54-63 occupancy, 65-72 U11
    std::string rec;
    rec.reserve(80);
    put_pad(rec, r.structure.label[s], 8);
    rec += ' ';
    put_fi(rec, r.structure.scattering_table[s], 4);
    rec += "  ";
    for (float v : x) put_ff(rec, v, 12, 6);
    rec += "  ";
    put_ff(rec, r.structure.occupancy[s], 10, 5);
    rec += ' ';
    put_ff(rec, r.structure.uij[s][0], 8, 4);
    io.write(Files::fixedh, rec);
}

}  // namespace kova
