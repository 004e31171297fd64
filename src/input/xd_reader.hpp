// The XD reader: an XD master file and parameter file as input.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void readxd(Records& r, const std::string& fname);
// Next record not beginning with "!", upper-cased, in `line` (255 characters).
void readxdline(Records& r, int unit, std::string& line);

}  // namespace kova
