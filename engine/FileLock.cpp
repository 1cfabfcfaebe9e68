#include "FileLock.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr int kWaitMs = 1000;
constexpr int kRetryMs = 10;
constexpr mode_t kLockFileMode = 0644;
// A pipe put in the lock file's place must not hold the opening up.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
}  // namespace

FileLock::FileLock(const std::string& lockPath)
{
    fd = open(lockPath.c_str(), O_RDWR | O_CREAT | kOpenFlags, kLockFileMode);
    // A lock file that exists but cannot be written (or a folder of its name)
    // locks as well read-only.
    if (fd < 0)
        fd = open(lockPath.c_str(), O_RDONLY | kOpenFlags);
    if (fd < 0)
        return;
    for (int waitedMs = 0;; waitedMs += kRetryMs) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            held = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || waitedMs >= kWaitMs)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    }
}

FileLock::~FileLock()
{
    if (fd < 0)
        return;
    // Unlocked outright: a child forked meanwhile shares the descriptor, and
    // closing ours alone would leave the lock held through its copy.
    if (held)
        flock(fd, LOCK_UN);
    close(fd);
}
