// Writers of the MoPro files: parameter file, constraint file and restraint file.
#pragma once

#include "shared/records.hpp"

namespace kova {

constexpr int imopar = 444;  // mopro_kova.par

void wrmoprohead(Records& r);  // head of mopro_kova.par
void wrmoconstart(Records& r); // start lines of con_mopro.inp

}  // namespace kova
