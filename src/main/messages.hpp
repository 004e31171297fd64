// The banner and the sample instruction file.
#pragma once

#include <string_view>

#include "shared/channels.hpp"

namespace kova {

// Writes the banner of the program on a channel.
void write_banner(Io& io, int channel);
// Writes the sample instruction file on a channel.
void write_sample_instructions(Io& io, int channel);

}  // namespace kova
