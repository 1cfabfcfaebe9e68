#pragma once

#include "DirectionRecord.h"
#include "Tqz41kGhost.h"

#include <cstdint>

// The best run, kept in "Best.replay" beside the best time: loaded for the
// level being played (once for each level file's contents), with its ghost,
// and replaced when a run sets a new best time. A replay that cannot be read,
// is damaged, made on another level, too long or hostile is left out, with
// one line on standard error (a missing one silently): no ghost, nothing to
// watch, the best time untouched.
class Tqz41kBestRun {
public:
    // Reads the level file and returns its checksum; loads the best run and
    // builds its ghost when they are not there for that level yet.
    uint32_t Prepare(const char* levelFile);
    // A best run of the level last prepared is loaded.
    bool IsReady() const { return ghost.IsReady(); }
    const DirectionRecord& GetRecord() const { return record; }
    Tqz41kGhost& GetGhost() { return ghost; }
    const Tqz41kGhost& GetGhost() const { return ghost; }

    // Writes the run beside a new best time, or removes the replay when the
    // run was too long to keep; loaded again at the next Prepare. Under the
    // best time's lock, held by the caller.
    void Save(const DirectionRecord& run, uint32_t levelChecksum);

private:
    DirectionRecord record;
    Tqz41kGhost ghost;
    bool loaded = false;  // tried for loadedChecksum
    uint32_t loadedChecksum = 0;
};
