// The instruction file kova.inp: options, their listing and the tolerance lines.
#pragma once

#include "shared/records.hpp"

#include <string_view>

namespace kova {

// How XD input gives its two files, for the messages of a name that is missing.
constexpr std::string_view xd_names_hint =
    "XD input needs two names on the INPUT line, the master file and the parameter file, with "
    "FORMAT *xd before INPUT";

// Reads the instruction file kova.inp into the options (RADII changes the covalent radii),
// then lists them on the listing channel. Its messages and stops go to the listing too.
void read_instructions(Io& io, int listing, Options& options, Elements& elements);
// Lists the bond and planarity tolerances on a channel.
void list_tolerances(Io& io, int channel, const Tolerances& tolerances);

}  // namespace kova
