// A run's records bound to a fresh directory, with the listing open on its channel, for
// testing one stage at a time.
#pragma once

#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct Session : Workspace {
    Session() : Workspace({.listing = true}) {}
    // The listing so far (the channel is closed to read it).
    std::vector<std::string> listing() { return file(Files::listing, "kova.out"); }
};

}  // namespace kova::test
