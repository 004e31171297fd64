// The instruction file kova.inp: options, their listing and the tolerance lines.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Reads the instruction file kova.inp into the option records and lists them.
void read_instructions(Records& r);
// Lists the bond and planarity tolerances on a channel.
void list_tolerances(Records& r, int unit);

}  // namespace kova
