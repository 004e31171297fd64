// The XD reader: an XD master file and parameter file as input.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads the cell, lattice and symmetry of an XD master file and the model, atoms and free
// variables of an XD parameter file, and lists them; keeps what xd_kova.mas copies of the
// master file.
void read_xd(Io& io, Records& r, const std::string& master_file,
             const std::string& parameter_file);
// The lines of an old XD master file that xd_kova.mas copies (head, refinement block, tail),
// selected by the copying rules; a file that ends before a line a rule looks for is a
// run-time error naming the record after its last.
XdMasterCopy select_master_copy(const InFile& master);
// The next record of a channel not beginning with "!", upper-cased and padded to 255
// characters; the end of the file stops the run.
std::string read_xd_record(Io& io, int listing, int unit);

}  // namespace kova
