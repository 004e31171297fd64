// complete.ang: the working list after the completion of molecules, as a PLATON atom list.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Writes complete.ang from the working list (the atoms read, then the images in the order they
// joined) when the completion added images; otherwise the file of an earlier run is left alone.
void write_complete_ang(Io& io, const Structure& structure, const Topology& topology);

}  // namespace kova
