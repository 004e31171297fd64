// The PLATON plot file kova.spf: its title, the frame picture of every atom and the trailer.
#pragma once

#include "shared/records.hpp"

namespace kova {

void write_plot_title(Io& io);
// The frame picture of every atom: the atom and the ends of its X, Y and Z axes.
void write_plot_frames(Io& io, const Records& r);
// Dummy atoms, bond radii, colours and detach rules, then PLOT.
void write_plot_trailer(Io& io, const Records& r);

}  // namespace kova
