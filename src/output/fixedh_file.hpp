// fixedH.ins: every atom in SHELX-like form, hydrogen atoms at their extended positions.
#pragma once

#include "shared/records.hpp"

namespace kova {

constexpr int ifixh = 49;  // fixedH.ins

void wrfixedh(Records& r, int i);  // the record of atom i

}  // namespace kova
