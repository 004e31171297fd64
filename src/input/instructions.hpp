// The instruction file kova.inp: options, their listing and the tolerance lines.
#pragma once

#include "shared/records.hpp"

namespace kova {

void readinp(Records& r);
void prttol(Records& r, int unit);

}  // namespace kova
