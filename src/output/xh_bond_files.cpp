// reset.bond and const.bond, one entry per X-H bond in the order the hydrogen atoms were
// framed. The constraints tie the hydrogen atom's coordinates to its parent's (CON 1 X/parent
// -1 X/hydrogen = 0 for X, Y and Z), so that it rides on the parent; atom numbers are
// written in full.
#include "output/xh_bond_files.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

namespace {

void write_reset_bond(Io& io, int ch, const std::string& parent, const std::string& hydrogen,
                      float distance) {
    std::string rec = "RESET BOND  ";
    put_trim(rec, parent);
    rec += ' ';
    put_trim(rec, hydrogen);
    put_ff(rec, distance, 6, 3);
    rec.resize(rec.find_last_not_of(' ') + 1);
    io.write(ch, rec);
}

void write_riding_constraints(Io& io, int ch, const std::string& parent,
                              const std::string& hydrogen, const XhRestraint& b) {
    io.write(ch, "!");
    std::string rec = "! ";
    put_trim(rec, parent);
    rec += " - ";
    put_trim(rec, hydrogen);
    rec += " = ";
    put_ff(rec, b.distance, 9, 3);
    rec += " Angstroms";
    io.write(ch, rec);
    io.write(ch, "!");
    const std::string sx = std::to_string(b.parent), sh = std::to_string(b.hydrogen);
    for (char axis : {'X', 'Y', 'Z'}) {
        rec.assign("CON 1 ");
        rec += axis;
        rec += '/';
        rec += sx;
        rec += " -1 ";
        rec += axis;
        rec += '/';
        rec += sh;
        rec += " = 0";
        io.write(ch, rec);
    }
}

}  // namespace

void write_xh_bond_files(Io& io, const Records& r) {
    for (const XhRestraint& b : r.frames.xh_restraints) {
        const std::string& parent = r.structure.label[static_cast<std::size_t>(b.parent)];
        const std::string& hydrogen = r.structure.label[static_cast<std::size_t>(b.hydrogen)];
        write_reset_bond(io, Files::reset_bonds, parent, hydrogen, b.distance);
        write_riding_constraints(io, Files::const_bonds, parent, hydrogen, b);
    }
}

}  // namespace kova
