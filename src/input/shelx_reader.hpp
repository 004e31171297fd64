// The SHELX reader: the crystal data, the symmetry and the atom records of a SHELX file.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads a SHELX file: the crystal data and symmetry, and the atom records. The cards that the
// heads of xd_kova.mas and mopro_kova.par repeat are kept in `structure.shelx_head` for their
// writers.
void read_shelx(Io& io, Records& r, const std::string& file_name);

}  // namespace kova
