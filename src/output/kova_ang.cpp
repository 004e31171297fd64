// kova.ang lists each atom as it stands after its own framing: Extend_H moves only the hydrogen
// atom being framed, so the positions after the last atom are those. A dummy is named after its
// number, "Li(k)", with as many digits as k has.
#include "output/kova_ang.hpp"

#include <string>

#include "frames/dummies.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

void put_position(std::string& rec, const Vec3f& p) {
    for (float x : p) put_ff(rec, x, 14, 4);
}

}  // namespace

void write_kova_ang(Io& io, const Records& r) {
    io.write(Files::kova_ang, "ANGSTROM");
    std::string rec;
    rec.reserve(64);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        const auto u = static_cast<std::size_t>(i);
        rec.assign("ATOM ");
        put_pad(rec, r.structure.label[u], 8);  //  6-13 label
        rec += "   ";
        put_position(rec, r.structure.cart[u]);  // 17-58 x, y, z
        io.write(Files::kova_ang, rec);
    }
    for (int k = 1; k <= r.frames.dummy_count; ++k) {
        rec.assign("ATOM Li(");
        rec += std::to_string(k);
        rec += ")  ";
        put_position(rec, dummy_cartesian(r, k));
        io.write(Files::kova_ang, rec);
    }
}

}  // namespace kova
