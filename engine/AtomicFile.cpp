#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes all of the bytes, across short writes and interruptions.
bool WriteAll(int fd, const char* bytes, size_t count)
{
    while (count > 0) {
        const ssize_t done = write(fd, bytes, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        count -= static_cast<size_t>(done);
    }
    return true;
}

}  // namespace

bool AtomicFile::Replace(const std::string& path, std::string_view bytes)
{
    // A name of its own for each writer: two games saving at once never share
    // a temporary file. mkstemp fills in the Xs.
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    // mkstemp makes the file private. (Not the umask's modes: some C libraries
    // start with a umask that would leave it unreadable.)
    bool written = fchmod(fd, Mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) &&
                   fsync(fd) == 0;  // on disk before the rename: the old file or the new one
    // The close reports a full disk that the writes did not.
    written = close(fd) == 0 && written;
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::remove(temporary.c_str());
    return false;
}
