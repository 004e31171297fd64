// The per-atom driver: frames every atom read and writes xd_kova.mas from its atom table on.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void localdef(Records& r);
void defloc(Records& r, int i);

}  // namespace kova
