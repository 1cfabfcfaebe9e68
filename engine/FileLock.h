#pragma once

#include <string>

// An exclusive lock between processes, taken with flock on a lock file (for
// "Score.txt", "Score.txt.lock" beside it) and held for the object's lifetime,
// so that a read-compare-write of the files it guards runs in one process at
// a time. It only holds up other takers of the same lock, never a plain reader
// or writer. The lock file is made when missing and never removed: removing
// it would let two processes lock two different files of one name.
class FileLock {
public:
    // Waits about a second at most for another holder to let go: a holder
    // that never does (a stopped process) must not stop the caller for good.
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be made or opened (a read-only
    // folder) or another holder kept the lock past the wait.
    bool IsHeld() const { return held; }

private:
    int fd = -1;
    bool held = false;
};
