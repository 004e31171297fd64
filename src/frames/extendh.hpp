// Extension of X-H bonds to standard distances, with the XD and MoPro restraint records.
#pragma once

#include "shared/records.hpp"

namespace kova {

void extendh(Records& r, int ix, int ih);

}  // namespace kova
