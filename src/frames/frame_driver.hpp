// The per-atom driver: frames every atom read; src/output writes the files from its records.
#pragma once

#include "frames/frame_atom.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// Frames every atom read, in index order.
void frame_all_atoms(Io& io, Records& r);
// Decides the local frame of atom i, records it, and gives it.
Frame frame_atom(Io& io, Records& r, int i);

}  // namespace kova
