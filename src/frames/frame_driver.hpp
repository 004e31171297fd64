// The per-atom driver: frames every atom read; src/output writes the files from its records.
#pragma once

#include <string>

#include "frames/frame_atom.hpp"
#include "shared/records.hpp"

namespace kova {

// Frames every atom read, in index order.
void frame_all_atoms(Records& r);
// Decides the local frame of atom i, records it, and gives it.
Frame frame_atom(Records& r, int i);

}  // namespace kova
