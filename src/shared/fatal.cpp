// The fatal-error routine.
#include "shared/fatal.hpp"

#include <string>

#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {

void write_error_lines(Io& io, int listing, std::string_view routine, std::string_view message) {
    std::string line = " ERROR *** " + std::string(routine) + " *** " + trim(message);
    for (int ch : {listing, terminal}) {
        if (ch != terminal && !io.is_open_out(ch)) continue;
        io.write(ch, "");
        io.write(ch, line);
        io.write(ch, "");
    }
}

void fatal_error(Io& io, int listing, std::string_view routine, std::string_view message) {
    write_error_lines(io, listing, routine, message);
    io.close(listing);
    throw RunStop{};
}


std::string why_structure_not_opened(const Io& io, const std::string& name,
                                     std::string_view word_after) {
    if (trim(name).empty()) return ": kova.inp names no structure file (give it on the INPUT line)";
    return ": " + io.why_unreadable(trim(name)) + word_after_the_name(word_after, "INPUT");
}

std::string word_after_the_name(std::string_view word_after, std::string_view keyword) {
    if (word_after.empty()) return "";
    return "; file names hold no blank, so \"" + std::string(word_after) + "\" on the " +
           std::string(keyword) + " line is no part of a name";
}

bool names_the_listing(const Io& io, int listing, const std::string& name) {
    const std::string listing_name = io.name_of(listing);
    return !listing_name.empty() && !trim(name).empty() && io.same_file(trim(name), listing_name);
}

void refuse_the_listing_as_input(Io& io, int listing, const std::string& name,
                                 std::string_view what) {
    if (!names_the_listing(io, listing, name)) return;
    // Dropped, the listing is no longer open: the error lines go to the terminal only.
    io.discard_listing(listing);
    fatal_error(io, listing, "ReadInp",
                std::string(what) + " " + trim(name) +
                    " is the listing this run writes: rename the file or give another name");
}

}  // namespace kova
