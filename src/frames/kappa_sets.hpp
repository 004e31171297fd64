// Kappa sets and populations of a framed atom: chemically equivalent atoms share one set, so
// that the refinement programs refine one pair of expansion-contraction parameters for them.
#pragma once

#include "frames/atom_and_kappa_set_index.hpp"
#include "frames/frame_atom.hpp"
#include "shared/records.hpp"

namespace kova {

// True when the kappa set of the atom is sought among the earlier atoms equivalent to it, a test
// that compares functional groups: not under TOXD, not for an ordered atom next to a
// disordered one.
bool kappa_set_by_equivalence(const Records& r, const FrameDraft& f);
// The functional group of atom i, its name upper-cased; the listing shows the search and the
// group found.
FunctionalGroup name_functional_group(Io& io, const Records& r, int i);
// Gives atom i its kappa set and returns the earlier equivalent atom whose set it took, or 0;
// the atom's functional group is in the records by then. The earlier atoms and the free-atom
// sets are looked up in `index`.
int choose_kappa_set(Io& io, Records& r, AtomAndKappaSetIndex& index, int i, const FrameDraft& f);
// Gives atom i its populations and its set their kappas, from the run's databank (when the
// analysis has one) or the free atom; the set is written through the analysis's index of
// atoms and kappa sets.
void set_populations(Io& io, Records& r, int i, const FrameDraft& f, FrameAnalysis& analysis);

}  // namespace kova
