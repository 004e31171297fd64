// The per-atom driver of the frame analysis: frames the atoms read, in index order, between
// the opening and the closing of the XD master file's tables. Images of the working list are
// only neighbours and search candidates; they are never framed themselves.
#include "frames/frame_driver.hpp"

#include "frames/frame_index.hpp"
#include "frames/xd_master.hpp"

namespace kova {

void frame_all_atoms(Io& io, Records& r) {
    forget_frame_index(r);
    open_atom_table(r);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        list_atom_start(r, i);
        frame_atom(io, r, i);
        list_atom_ang(r, i);
    }
    close_atom_table(r);
}

}  // namespace kova
