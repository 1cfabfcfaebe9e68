#pragma once

#include "DirectionRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A run's record as a small text file, as the best run is kept in
// "Best.replay" beside "Score.txt" and as the level checker prints a route:
//
//   vaultrun-replay 1 <game version> level <CRC-32 of the level file, 8 hex digits>
//   # comment lines, anywhere after the header
//   <ticks> <U, D, L and R held, or -> ...   (DirectionRecord's stretches)
//
// The reader takes nothing on trust: a file that is not one, was made on
// another level, runs longer than MaxTicks or is over MaxBytes is refused.
class Tqz41kReplayFile {
public:
    static constexpr const char* FileName = "Best.replay";
    // Some 65 minutes of play at 15 ms a tick; a byte a tick in memory.
    static constexpr size_t MaxTicks = size_t{1} << 18;
    static constexpr size_t MaxBytes = size_t{1} << 20;

    // The checksum a record carries of the level it was played on.
    static uint32_t LevelChecksum(std::string_view levelBytes);
    // A plain file's first MaxBytes + 1 bytes (so that a longer one shows);
    // false, and no bytes, when it is none or cannot be read.
    static bool ReadBounded(const char* path, std::string& bytes);

    // The header line, with its line end.
    static std::string Header(uint32_t levelChecksum);
    // The whole file's text.
    static std::string Format(const DirectionRecord& record, uint32_t levelChecksum);

    // Reads text into record (cleared first; its capacity is the limit
    // besides MaxTicks). Returns "" when it is a whole, sound record of the
    // level, otherwise why not, in a few words; the record is then empty.
    // ForeignLevel is the reason for a sound record of another level.
    static std::string Parse(std::string_view text, uint32_t levelChecksum, DirectionRecord& record);
    static constexpr const char* ForeignLevel = "made on another level";
    // The same from a file: only a plain file, and only MaxBytes of it.
    static std::string Read(const char* path, uint32_t levelChecksum, DirectionRecord& record);
    // Replaces the file atomically (AtomicFile: no lock taken; the caller
    // holds the best time's); false, the old file kept, when that fails.
    static bool Write(const char* path, const DirectionRecord& record, uint32_t levelChecksum);
};
