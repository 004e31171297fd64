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
// its fragment lines among them, then lists them on the listing channel. Its messages and
// stops go to the listing too.
void read_instructions(Io& io, int listing, Options& options, Elements& elements);
// Notes one logical line of kova.inp (ending on `record`) when it is a fragment line: NFRAG,
// FRAG or CHFRAG from column 1, in any case. A value that does not read is noted as such,
// for the rescaling to stop on.
void read_fragment_line(std::string_view text, int record, FragmentLines& lines);
// Lists the bond and planarity tolerances on a channel.
void list_tolerances(Io& io, int channel, const Tolerances& tolerances);

}  // namespace kova
