// fixedH.ins has no head and no end: one record per atom, with U11 alone even for an
// anisotropic atom.
#include "output/fixedh_file.hpp"

#include "shared/format.hpp"

namespace kova {

void wrfixedh(Records& r, int i) {
    r.ensure_atoms(i);
    const auto s = static_cast<std::size_t>(i);
    const Vec3f& x = r.atoms.xf[s];
    // cols 1-8 label, 10-13 table, 16-51 x y z, 54-63 occupancy, 65-72 U11
    r.io.write(ifixh, pad(r.atoms.label[s], 8) + " " + fi(r.atoms1.itbl[s], 4) + fx(2) + ff(x[0], 12, 6) +
                          ff(x[1], 12, 6) + ff(x[2], 12, 6) + fx(2) + ff(r.atoms1.occ[s], 10, 5) + " " +
                          ff(r.at_uij.uij[s][0], 8, 4));
}

}  // namespace kova
