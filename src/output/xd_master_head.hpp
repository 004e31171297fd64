// The head of xd_kova.mas for SHELX input: the banner, the crystal-data cards of the SHELX
// file in their order, and the XDLSM module head with its SCAT table. The atom table and the
// rest of the file follow it.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Writes the head of xd_kova.mas from what the SHELX reader kept.
void write_xd_master_head(Io& io, const Records& r);

}  // namespace kova
