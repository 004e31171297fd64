// The PLATON plot file kova.spf: its title and its trailer. The frame analysis writes one
// frame picture per atom between the two.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Writes the title of the plot file kova.spf.
void write_plot_title(Records& r);
// Dummy atoms, bond radii, colours and detach rules, then PLOT; closes the file.
void write_plot_trailer(Records& r);

}  // namespace kova
