// What the frame analysis holds beside the records while it frames the atoms one by one: the
// run's databank and the two indexes its searches and questions go through.
#pragma once

#include "frames/atom_and_kappa_set_index.hpp"
#include "shared/records.hpp"
#include "topology/neighbours.hpp"

namespace kova {

struct Databank;  // databank/databank_file.hpp

// Made as the analysis starts, from the records as they stand then. The two indexes follow
// the records through the writes that change what they index: the X-H extension moves a
// hydrogen atom through `neighbours` (move_atom), and the kappa-set code writes a set's table
// and kappas through `atom_and_set_index` (set_kappa_table, set_kappas).
struct FrameAnalysis {
    FrameAnalysis(const Records& r, Databank* bank)
        : databank(bank), neighbours(r), atom_and_set_index(r) {}

    Databank* databank;          // the run's databank (DATABANK), null without one
    NeighbourIndex neighbours;   // the working list, for the searches of the rules and the databank
    AtomAndKappaSetIndex atom_and_set_index;  // the atoms read by label and test data, the sets
};

}  // namespace kova
