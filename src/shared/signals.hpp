// The signals that end a run as a fault (INT, TERM, HUP, QUIT): while a run goes, their
// handler only notes the signal, and the run ends at its next write or prompt through
// `RunInterrupted`, removing its temporary files as any run-time error does. SIGPIPE is
// ignored, so that a write to a pipe whose reader has gone fails and is seen.
#pragma once

#include <signal.h>

#include <array>
#include <string>

namespace kova {

// Installs the handlers for the lifetime of the object (a signal whose action was "ignore"
// when the run started, as under nohup, stays ignored) and puts back the earlier actions.
class SignalCatcher {
public:
    SignalCatcher();
    ~SignalCatcher();
    SignalCatcher(const SignalCatcher&) = delete;
    SignalCatcher& operator=(const SignalCatcher&) = delete;

private:
    static constexpr std::array<int, 5> handled = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
    std::array<struct sigaction, handled.size()> earlier_{};
};

// Holds the run's signals back while it lives (the final renames of the output files), so
// that they take effect only once every file is replaced or every earlier file is back.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t earlier_{};
};

// The signal caught since the catcher was installed, 0 when none. The one piece of process
// state of a run: a signal handler has nowhere else to put it.
int caught_signal();

// "SIGINT", "SIGTERM", ... for the signals handled, else "signal <n>".
std::string signal_name(int signal);

}  // namespace kova
