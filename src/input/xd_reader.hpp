// The XD reader: an XD master file and parameter file as input.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads the cell, lattice and symmetry of an XD master file and the model, atoms and free
// variables of an XD parameter file, and lists them.
void read_xd(Io& io, Records& r, const std::string& master_file,
             const std::string& parameter_file);
// The next record of a channel not beginning with "!", upper-cased and padded to 255
// characters; the end of the file stops the run.
std::string read_xd_record(Io& io, int listing, int unit);

}  // namespace kova
