// The fatal-error routine, the banner and the sample instruction file.
#pragma once

#include <string_view>

#include "shared/records.hpp"

namespace kova {

// Writes the error lines to the listing and the terminal, closes the listing and ends the run
// with status 1.
[[noreturn]] void err(Records& r, std::string_view routine, std::string_view message);
void header(Records& r, int channel);
void printhelp(Records& r, int channel);
// Defaults of the option records and cleared per-atom records.
void init(Records& r);

}  // namespace kova
