// The ways a run ends early. Thrown where the problem is found and caught once by `run`.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kova {

// `fatal_error` and the stops with a message of their own: the message is already written. Status
// 1, so that a shell loop or a batch system over many structures sees the failed run.
struct RunStop {
    int status = 1;
    // A message that went to the terminal or standard error only, for the listing too, so that
    // the listing says why the run ended.
    std::vector<std::string> listing_lines;
};

// A run-time error no routine guards against: one line "kova: <what>" on standard
// error and status 2. `what` names the file, the record and what was wrong.
struct RunFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Ends the run with the RunFault "file, record n: what".
[[noreturn]] void fault(const std::string& file, int record, const std::string& what);
// Ends the run with the RunFault "file: what".
[[noreturn]] void fault(const std::string& file, const std::string& what);

}  // namespace kova
