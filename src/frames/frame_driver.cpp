// The per-atom driver of the frame analysis: frames the atoms read, in index order. Images of
// the working list are only neighbours and search candidates; they are never framed themselves.
#include "frames/frame_driver.hpp"

#include <utility>
#include <vector>

#include "frames/atom_table.hpp"

namespace kova {

void start_frame_analysis(Io& io, Records& r) {
    r.frames.dummy_count = 0;
    r.frames.xh_restraints.clear();
    r.frames.group_picture.clear();
    r.index = SearchIndexes{};
    show_atom_table_header(io);
}

void frame_all_atoms(Io& io, Records& r, Databank* databank) {
    start_frame_analysis(io, r);
    FrameAnalysis analysis(r, databank);
    // group.ang shows the last group picture drawn: an earlier one is of no use after it.
    std::vector<GroupPictureAtom> last_picture;
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        list_atom_start(io, r, i);
        FrameDraft f = frame_atom(io, r, i, analysis);
        if (f.group && !f.group->picture.empty()) last_picture = std::move(f.group->picture);
    }
    r.frames.group_picture = std::move(last_picture);
}

}  // namespace kova
