// The per-atom driver of the frame analysis: frames the atoms read, in index order. Images of
// the working list are only neighbours and search candidates; they are never framed themselves.
#include "frames/frame_driver.hpp"

#include "frames/atom_table.hpp"

namespace kova {

void frame_all_atoms(Records& r) {
    start_atom_table(r.io, r);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        list_atom_start(r.io, r, i);
        frame_atom(r, i);
    }
}

}  // namespace kova
