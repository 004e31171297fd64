// Matching an atom against the pseudoatom databank.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void readdb(Records& r, int iat);
// 0: the entry may match as far as the group goes; 1: skip the entry.
int exceptdb(Records& r, int iat, std::string& group);
float pval(int iz);

}  // namespace kova
