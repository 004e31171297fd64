// The SHELX reader: instructions, heads of xd_kova.mas and mopro_kova.par, atom records.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void readshelx(Records& r, const std::string& fname);
void calcueq(Records& r, int i, float& ueq);

}  // namespace kova
