// A records object bound to a fresh directory, with the listing open on its channel, for
// testing one stage at a time.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct Session {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    std::unique_ptr<test::RunRecords> rec = std::make_unique<test::RunRecords>();
    test::RunRecords& r = *rec;

    Session() {
        r.io.bind(dir.path(), &in, &out, &errs);
        r.files.listing = 35;
        set_defaults(r);
        r.io.create(r.files.listing, "kova.out");
    }
    // The listing so far (the channel is closed to read it).
    std::vector<std::string> listing() {
        r.io.close(r.files.listing);
        return lines_of(dir.read("kova.out"));
    }
    std::vector<std::string> terminal() const { return lines_of(out.str()); }
};

}  // namespace kova::test
