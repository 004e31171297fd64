// One run per working directory: an advisory lock on the directory itself, which creates no
// file and which the system drops when the process ends, however it ends.
#pragma once

#include <filesystem>
#include <string>

namespace kova {

class DirectoryLock {
public:
    enum class State {
        held,         // this run holds the lock
        taken,        // another process holds it
        unsupported,  // the file system gives no such lock: the run goes on without one
    };
    // Tries the lock once, without waiting. `simulate_unsupported` acts as a file system
    // without locks would (tests only).
    explicit DirectoryLock(const std::filesystem::path& dir, bool simulate_unsupported = false);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    State state() const { return state_; }
    // Why the lock is unsupported (the system's reason), "" otherwise.
    const std::string& reason() const { return reason_; }

private:
    int fd_ = -1;
    State state_ = State::unsupported;
    std::string reason_;
};

}  // namespace kova
