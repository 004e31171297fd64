// Rescaling of valence populations to the fragment charges of kova.inp.
#pragma once

#include "shared/records.hpp"

namespace kova {

void rescalepv(Records& r);

}  // namespace kova
