// The frame rules for atoms with one to four neighbours, the part of the frame decision that
// follows the group planarity and the equal pairs.
#pragma once

#include "frames/frame_atom.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"
#include "topology/neighbours.hpp"

namespace kova {

// Sets the site symmetry, the axes and the targets of atom i by the rule for its neighbour
// count (one to four); `f` brings the canonical order, the planarity and the equal pairs. The
// dummies the targets need are asked for on `f` (FrameDraft::new_dummies), and a hydrogen
// atom's parent data are kept there; the records are only read. The searches around the atom or its
// partner go through `neighbours`.
void frame_rules(Io& io, const Records& r, NeighbourIndex& neighbours, int i, FrameDraft& f);

}  // namespace kova
