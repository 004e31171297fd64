// The end of a run: the summary of files written and the run-time line with the closing rule
// of the listing.
#pragma once

#include "shared/cpu_time.hpp"
#include "shared/records.hpp"

namespace kova {

void write_run_summary(Io& io, const Records& r);
// `run` holds the user and system CPU times of the whole run.
void write_run_time(Io& io, const CpuTimes& run);

}  // namespace kova
