// The XD reader: an XD master file and parameter file as input.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads an XD master file and parameter file as input.
void read_xd(Records& r, const std::string& parameter_file);
// The next record of a channel not beginning with "!", upper-cased and padded to 255
// characters; the end of the file ends the run.
std::string read_xd_record(Records& r, int unit);

}  // namespace kova
