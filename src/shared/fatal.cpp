// The fatal-error routine.
#include "shared/fatal.hpp"

#include <string>

#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {

void fatal_error(Records& r, std::string_view routine, std::string_view message) {
    std::string line = " ERROR *** " + std::string(routine) + " *** " + trim(message);
    for (int ch : {r.files.listing, terminal}) {
        if (ch != terminal && !r.io.is_open_out(ch)) continue;
        r.io.write(ch, "");
        r.io.write(ch, line);
        r.io.write(ch, "");
    }
    r.io.close(r.files.listing);
    throw RunStop{};
}

}  // namespace kova
