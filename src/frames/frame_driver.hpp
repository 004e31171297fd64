// The per-atom driver: frames every atom read and writes xd_kova.mas from its atom table on.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Frames every atom read and writes the XD master file from its atom table on.
void frame_all_atoms(Records& r);
// Decides the local frame of atom i and records it.
void frame_atom(Records& r, int i);

}  // namespace kova
