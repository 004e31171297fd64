// Rescaling of valence populations to the fragment charges of kova.inp.
#pragma once

#include "shared/records.hpp"

namespace kova {

// Rescales the valence populations to the fragment charges of the instruction file.
void rescale_valence_populations(Records& r);

}  // namespace kova
