// The signals that end a run: noted by the handler, held back while the files are replaced,
// left alone when the run was started with them ignored.
#include "shared/signals.hpp"

#include <csignal>

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(Signals, NotedAndHeldBackWhileTheFilesAreReplaced) {
    const SignalCatcher catcher;
    EXPECT_EQ(caught_signal(), 0);
    {
        const SignalsHeld held;
        std::raise(SIGTERM);
        EXPECT_EQ(caught_signal(), 0);  // pending until the renames are done
    }
    EXPECT_EQ(caught_signal(), SIGTERM);
}

TEST(Signals, IgnoredAtTheStartStaysIgnored) {
    auto* const before = std::signal(SIGHUP, SIG_IGN);
    {
        const SignalCatcher catcher;
        std::raise(SIGHUP);
        EXPECT_EQ(caught_signal(), 0);
    }
    EXPECT_EQ(std::signal(SIGHUP, before), SIG_IGN);  // put back as it was
}

}  // namespace
}  // namespace kova
