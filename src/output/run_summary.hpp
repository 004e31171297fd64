// The end of a run: the summary of files written and the run-time line with the closing rule
// of the listing.
#pragma once

#include "shared/cputime.hpp"
#include "shared/records.hpp"

namespace kova {

void wrsummary(Records& r);
// `run` holds the user and system CPU times of the whole run.
void wrruntime(Records& r, const CpuTimes& run);

}  // namespace kova
