// Writer of the PLATON atom list kova.ang: every atom read at its position after the frame
// analysis, then every dummy atom, in Å.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Writes kova.ang, once the last atom is framed.
void write_kova_ang(Io& io, const Records& r);

}  // namespace kova
