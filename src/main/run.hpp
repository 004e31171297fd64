// One run of kova: the main sequence, from the command line to the closing lines.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "shared/channels.hpp"

namespace kova {

// Runs in `dir` with the command-line arguments (without the program name) and the given
// standard streams; returns the exit status: 0 for a finished run and for the banner alone,
// 1 when `fatal_error` or a stop with a message of its own ended it, 2 for a run-time error.
// The files of a finished run replace those of earlier runs; a run that ends otherwise leaves
// them as they were. `failure` makes one output file fail (tests only).
int run(const std::filesystem::path& dir, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& errs,
        const std::optional<InjectedFailure>& failure = std::nullopt);

}  // namespace kova
