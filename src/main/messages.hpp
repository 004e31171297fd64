// The banner and the sample instruction file.
#pragma once

#include <string_view>

#include "shared/fatal.hpp"
#include "shared/records.hpp"

namespace kova {

void header(Records& r, int channel);
void printhelp(Records& r, int channel);

}  // namespace kova
