// The banner and the sample instruction file.
#pragma once

#include <string_view>

#include "shared/channels.hpp"

namespace kova {

void write_banner(Io& io, int channel);
void write_sample_instructions(Io& io, int channel);

}  // namespace kova
