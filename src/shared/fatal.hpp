// The fatal-error routine: writes the error lines and ends the run.
#pragma once

#include <string_view>

#include <string>

#include "shared/channels.hpp"

namespace kova {

// The error lines of fatal_error, without ending the run: a blank line, " ERROR *** routine
// *** message" and a blank line, to the listing (when it is open) and then the terminal.
void write_error_lines(Io& io, int listing, std::string_view routine, std::string_view message);

// Writes the error lines to the listing (channel `listing`, when it is open) and the
// terminal, closes the listing and ends the run with status 1.
[[noreturn]] void fatal_error(Io& io, int listing, std::string_view routine,
                              std::string_view message);

// What follows the open error of a structure file: why the file named cannot be read, or that
// kova.inp named none; `word_after` is the word that follows the names on the INPUT line.
std::string why_structure_not_opened(const Io& io, const std::string& name,
                                     std::string_view word_after);

// What an open error adds when a further word follows the file name on its kova.inp line
// (`keyword` INPUT or DATABANK): a name that was meant to hold a blank was cut there. ""
// without such a word.
std::string word_after_the_name(std::string_view word_after, std::string_view keyword);

// True when `name`, resolved against the working directory, is the run's listing (channel
// `listing`).
bool names_the_listing(const Io& io, int listing, const std::string& name);

// Ends the run with status 1 when `name` (a structure or databank file of the instructions) is
// the listing: reading it would read what the run writes, and replacing it would lose the
// file. The error lines go to the terminal only and the listing's file is left as it was,
// which holds as long as the listing has not been opened.
void refuse_the_listing_as_input(Io& io, int listing, const std::string& name,
                                 std::string_view what);

}  // namespace kova
