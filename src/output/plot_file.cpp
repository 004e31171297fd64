// kova.spf: the frame of each atom is drawn as the atom and three points 0.2 Å along its axes,
// named X, Y and Z after the atom's number. In the trailer the dummy atoms are written in
// Cartesian coordinates (stored fractional for crystal input), and the axis end points and
// the dummies D get tiny radii so that PLATON draws the frames as thin sticks.
#include "output/plot_file.hpp"

#include <string>

#include "frames/dummies.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

// Symbol of atom type t as a 2-character text ("C " for carbon).
std::string type_symbol(const Records& r, int t) {
    const auto s = static_cast<std::size_t>(t);
    int z = s < r.structure.type_atomic_number.size() ? r.structure.type_atomic_number[s] : 0;
    return pad(element_symbol(r, z), 2);
}

float type_radius(const Records& r, int t) {
    const auto s = static_cast<std::size_t>(t);
    int z = s < r.structure.type_atomic_number.size() ? r.structure.type_atomic_number[s] : 0;
    return covalent_radius(r, z);
}

// The point of an "ATOM" record of a frame picture, after its label: three blanks, then F12.4.
void put_plot_point(std::string& rec, const Vec3f& p) {
    rec += "   ";
    for (float x : p) put_ff(rec, x, 12, 4);
}

}  // namespace

void write_plot_title(Io& io) {
    io.write(Files::plot, "TITL X-green, Y-yellow, Z-brown, Dummy(D)-orange");
    io.write(Files::plot, "ANGSTROM");
}

void write_plot_frames(Io& io, const Records& r) {
    const int ch = Files::plot;
    std::string rec, name;
    rec.reserve(48);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        const auto u = static_cast<std::size_t>(i);
        rec.assign("ATOM ");
        put_pad(rec, r.structure.label[u], 8);
        put_plot_point(rec, r.structure.cart[u]);
        io.write(ch, rec);
        // the axis ends are named after the atom's number: "      X7", "  X12345"
        name.clear();
        name.push_back(' ');
        name += std::to_string(i);
        for (int k = 0; k < 3; ++k) {
            name[0] = "XYZ"[k];
            rec.assign("ATOM ");
            put_fa(rec, name, 8);
            put_plot_point(rec, r.frames.axis_ends[u][static_cast<std::size_t>(k)]);
            io.write(ch, rec);
        }
    }
}

void write_plot_trailer(Io& io, const Records& r) {
    const int ch = Files::plot;
    const int ndum = r.frames.dummy_count;
    for (int k = 1; k <= ndum; ++k) {
        const Vec3f d = dummy_cartesian(r, k);
        io.write(ch, "ATOM D(" + std::to_string(k) + ")  " + ff(d[0], 14, 4) + ff(d[1], 14, 4) +
                           ff(d[2], 14, 4));
    }

    // one blank, a 2-character name, the radius in F5.2
    std::string join = "JOIN RADII ";
    auto add = [&join](const std::string& name, float radius) {
        join.append(fx(1)).append(name).append(ff(radius, 5, 2));
    };
    for (int t = 1; t <= r.structure.type_count; ++t) add(type_symbol(r, t), type_radius(r, t));
    for (const char* axis : {"X", "Y", "Z"}) add(fa(axis, 2), 0.01f);
    if (ndum > 0) add(fa("D", 2), 0.01f);
    io.write(ch, join);

    static const char* const kFixed[] = {
        "SOLID COLOR", "COLOR TYPE X GREEN Y YELLOW Z BROWN D ORANGE", "RADII ATOMS ALL 0.06",
        "RADII ATOMS X 0.02", "RADII ATOMS Y 0.02", "RADII ATOMS Z 0.02", "RADII BONDS ALL 0.01 1",
        "RADII BONDS TO X 0.01 1", "RADII BONDS TO Y 0.01 1", "RADII BONDS TO Z 0.01 1",
        "RADII BONDS TO D 0.00 0", "DETACH X Y", "DETACH X Z", "DETACH Y Z", "DETACH X X",
        "DETACH Y Y", "DETACH Z Z", "LABEL ON", "LABEL H", "UNLABEL X Y Z"};
    for (const char* rec : kFixed) io.write(ch, rec);
    if (ndum > 0) {
        for (const char* rec :
             {"RADII ATOMS D 0.02", "DETACH D X", "DETACH D Y", "DETACH D Z", "LABEL D"})
            io.write(ch, rec);
        for (int t = 1; t <= r.structure.type_count; ++t)
            io.write(ch, "DETACH D " + type_symbol(r, t));
    }
    io.write(ch, "PLOT");
}

}  // namespace kova
