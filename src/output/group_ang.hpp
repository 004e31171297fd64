// Writer of group.ang: the picture of the last functional group the frame analysis could not
// name, the atom and those within three bonds of it, in Å.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True when a group picture was drawn: only then is group.ang written, so that otherwise an
// earlier run's file stays as it was.
bool has_group_ang(const Records& r);
// Writes group.ang from the last group picture drawn (`frames.group_picture`).
void write_group_ang(Io& io, const Records& r);

}  // namespace kova
