// Writer of group.ang: the picture of the last functional group the frame analysis could not
// name, the atom and those within three bonds of it, in Å.
#pragma once

#include "shared/records.hpp"

namespace kova {

constexpr int group_ang_channel = 89;

// Writes group.ang when a picture was drawn; without one an earlier run's file stays as it was.
void write_group_ang(Io& io, const Records& r);

}  // namespace kova
