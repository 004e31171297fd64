// group.ang holds one picture, the last one drawn: an earlier failure's picture is of no use
// once a later one has been drawn. Positions are those the atoms had when it was drawn.
#include "output/group_ang.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

void write_group_ang(Io& io, const Records& r) {
    if (r.frames.group_picture.empty()) return;
    io.create(group_ang_channel, "group.ang");
    io.write(group_ang_channel, "ANGSTROM");
    std::string rec;
    for (const GroupPictureAtom& a : r.frames.group_picture) {
        rec.assign("ATOM ");
        put_pad(rec, r.structure.label[static_cast<std::size_t>(a.atom)], 8);  //  6-13 label
        rec += "  ";
        for (float x : a.position) put_ff(rec, x, 12, 4);  // 16-51 x, y, z
        io.write(group_ang_channel, rec);
    }
    io.close(group_ang_channel);
}

}  // namespace kova
