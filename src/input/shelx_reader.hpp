// The SHELX reader: instructions, heads of xd_kova.mas and mopro_kova.par, atom records.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads a SHELX file: instructions, heads of the XD and MoPro files, atom records.
void read_shelx(Records& r, const std::string& file_name);
// The equivalent isotropic displacement parameter of atom i.
float equivalent_u(Records& r, int i);

}  // namespace kova
