// Kappa sets and populations of a framed atom: chemically equivalent atoms share one set, so
// that the refinement programs refine one pair of expansion-contraction parameters for them.
#pragma once

#include "frames/frame_atom.hpp"
#include "shared/records.hpp"

namespace kova {

// Gives atom i its kappa set and returns the earlier equivalent atom whose set it took, or 0.
int choose_kappa_set(Io& io, Records& r, int i, const Frame& f);
// Gives atom i its populations and its set their kappas, from the databank (when the run has
// one) or the free atom.
void set_populations(Io& io, Records& r, int i, const Frame& f, Databank* databank);

}  // namespace kova
