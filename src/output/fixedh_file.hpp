// fixedH.ins: every atom in SHELX-like form, hydrogen atoms at their extended positions.
#pragma once

#include "shared/records.hpp"

namespace kova {

void write_fixedh_atom(Io& io, const Records& r, int i);  // the record of atom i

}  // namespace kova
