// The per-atom driver: frames every atom read; src/output writes the files from its records.
#pragma once

#include "frames/frame_analysis.hpp"
#include "frames/frame_atom.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// Before the first atom: empties what the frame analysis fills as it goes (the dummy store
// and its indexes, the X-H restraints, the group picture) and shows the atom-table header on
// the terminal.
void start_frame_analysis(Io& io, Records& r);
// Frames every atom read, in index order, and keeps the last group picture their frames drew;
// `databank` is the run's databank (DATABANK), null without one. The analysis it holds meanwhile
// is made once the records are emptied.
void frame_all_atoms(Io& io, Records& r, Databank* databank);
// Decides the local frame of atom i, records it, and gives it; `analysis` is held from atom to
// atom.
FrameDraft frame_atom(Io& io, Records& r, int i, FrameAnalysis& analysis);

}  // namespace kova
