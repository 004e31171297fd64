// The banner and the sample instruction file.
#pragma once

#include <string_view>

#include "shared/fatal.hpp"
#include "shared/records.hpp"

namespace kova {

// Writes the banner of the program on a channel.
void write_banner(Io& io, const Records& r, int channel);
// Writes the sample instruction file on a channel.
void write_sample_instructions(Io& io, const Records& r, int channel);

}  // namespace kova
