// The fatal-error routine: writes the error lines and ends the run.
#pragma once

#include <string_view>

#include "shared/records.hpp"

namespace kova {

// Writes the error lines to the listing and the terminal, closes the listing and ends the run
// with status 1.
[[noreturn]] void fatal_error(Records& r, std::string_view routine, std::string_view message);

}  // namespace kova
