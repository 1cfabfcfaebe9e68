#pragma once

#include <string>
#include <string_view>

#include <sys/types.h>

// Replaces a small file whole: the bytes go to a temporary file of its own
// beside it ("NAME.XXXXXX"), which is synced and then renamed over it, so a
// reader finds the old content or the new, never part of either. It does not
// lock: of two writers at once the last rename wins, each file whole (hold a
// FileLock around a read-compare-write). It reports nothing itself.
class AtomicFile {
public:
    // The owner's to write and anyone's to read, whatever the umask, for a new
    // file and for one replaced.
    static constexpr mode_t Mode = 0644;

    // True when `path` now holds exactly `bytes`. False (a folder in the way, a
    // full disk, a file-size limit, a read-only folder) keeps the old file and
    // leaves no temporary file behind.
    static bool Replace(const std::string& path, std::string_view bytes);
};
