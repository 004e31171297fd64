// One run of kova: the main sequence, from the command line to the closing lines.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace kova {

// Runs in `dir` with the command-line arguments (without the program name) and the given
// standard streams; returns the exit status.
int run(const std::filesystem::path& dir, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& errs);

}  // namespace kova
