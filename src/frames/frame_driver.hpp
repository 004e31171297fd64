// The per-atom driver: frames every atom read and writes xd_kova.mas from its atom table on.
#pragma once

#include "frames/frame_atom.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// Frames every atom read and writes the XD master file from its atom table on.
void frame_all_atoms(Io& io, Records& r);
// Decides the local frame of atom i, records it, and gives it.
Frame frame_atom(Io& io, Records& r, int i);

}  // namespace kova
