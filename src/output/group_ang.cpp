// group.ang holds one picture, the last one drawn: an earlier failure's picture is of no use
// once a later one has been drawn. Positions are those the atoms had when it was drawn.
#include "output/group_ang.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

bool has_group_ang(const Records& r) { return !r.frames.group_picture.empty(); }

void write_group_ang(Io& io, const Records& r) {
    io.write(Files::group_ang, "ANGSTROM");
    std::string rec;
    for (const GroupPictureAtom& a : r.frames.group_picture) {
        rec.assign("ATOM ");
        put_pad(rec, r.structure.label[static_cast<std::size_t>(a.atom)], 8);  //  6-13 label
        rec += "  ";
        for (float x : a.position) put_ff(rec, x, 12, 4);  // 16-51 x, y, z
        io.write(Files::group_ang, rec);
    }
}

}  // namespace kova
