// The XD reader: an XD master file and parameter file as input.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads an XD master file and parameter file as input.
void read_xd(Records& r, const std::string& fname);
// Next record not beginning with "!", upper-cased, in `line` (255 characters).
void read_xd_record(Records& r, int unit, std::string& line);

}  // namespace kova
