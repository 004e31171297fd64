#include "shared/directory_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kova {

DirectoryLock::DirectoryLock(const std::filesystem::path& dir, bool simulate_unsupported) {
    if (simulate_unsupported) {
        reason_ = std::strerror(ENOLCK);
        return;
    }
    const std::filesystem::path p = dir.empty() ? std::filesystem::path(".") : dir;
    fd_ = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        reason_ = std::strerror(errno);
        return;
    }
    int rc;
    do rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        state_ = State::held;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::taken;
    } else {
        reason_ = std::strerror(errno);
    }
    if (state_ != State::held) {
        ::close(fd_);
        fd_ = -1;
    }
}

DirectoryLock::~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor drops the lock
}

}  // namespace kova
