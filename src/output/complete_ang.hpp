// complete.ang: the working list after the completion of molecules, as a PLATON atom list.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True when the completion added images: only then is complete.ang written, so that otherwise
// the file of an earlier run is left alone.
bool has_complete_ang(const Structure& structure, const Topology& topology);
// Writes complete.ang from the working list: the atoms read, then the images in the order they
// joined.
void write_complete_ang(Io& io, const Structure& structure, const Topology& topology);

}  // namespace kova
