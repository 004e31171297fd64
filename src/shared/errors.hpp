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

// A signal (INT, TERM, HUP, QUIT) ended the run: a fault, with the status a shell reports for
// it (128 + the signal's number). `files_replaced`: it arrived while the finished run's files
// replaced the earlier ones, which it did not interrupt.
struct RunInterrupted {
    int signal = 0;
    bool files_replaced = false;
};

// An earlier output file that its owner has made read-only: the run replaces no such file and
// stops with status 1. `name` is the run's name for it, `target` the file itself (the same, or
// where a link of that name points), `mode` its permission bits.
struct ProtectedOutput {
    std::string name, target;
    unsigned mode = 0;
};

// Ends the run with the RunFault "file, record n: what".
[[noreturn]] void fault(const std::string& file, int record, const std::string& what);
// Ends the run with the RunFault "file: what".
[[noreturn]] void fault(const std::string& file, const std::string& what);

}  // namespace kova
