#include "shared/signals.hpp"

#include <csignal>

namespace kova {

namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void note_signal(int signal) { caught = signal; }

}  // namespace

SignalCatcher::SignalCatcher() {
    caught = 0;
    for (std::size_t k = 0; k < handled.size(); ++k) {
        struct sigaction action {};
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a prompt waiting in poll() returns at once to see the signal.
        action.sa_flags = 0;
        action.sa_handler = handled[k] == SIGPIPE ? SIG_IGN : note_signal;
        sigaction(handled[k], nullptr, &earlier_[k]);
        if (handled[k] != SIGPIPE && earlier_[k].sa_handler == SIG_IGN) continue;
        sigaction(handled[k], &action, nullptr);
    }
}

SignalCatcher::~SignalCatcher() {
    for (std::size_t k = 0; k < handled.size(); ++k) sigaction(handled[k], &earlier_[k], nullptr);
}

SignalsHeld::SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &earlier_);
}

SignalsHeld::~SignalsHeld() { sigprocmask(SIG_SETMASK, &earlier_, nullptr); }

int caught_signal() { return caught; }

std::string signal_name(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        case SIGQUIT: return "SIGQUIT";
        default: return "signal " + std::to_string(signal);
    }
}

}  // namespace kova
