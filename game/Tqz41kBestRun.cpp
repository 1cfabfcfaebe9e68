#include "Tqz41kBestRun.h"

#include "Tqz41kReplayFile.h"
#include "Tqz41kTileManager.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {
constexpr const char* kReplayFile = Tqz41kReplayFile::FileName;
}  // namespace

uint32_t Tqz41kBestRun::Prepare(const char* levelFile)
{
    std::string level;
    // The level as the game installs it: a file too large to be one gives no cells.
    if (!Tqz41kReplayFile::ReadBounded(levelFile, level) ||
        level.size() > static_cast<size_t>(Tqz41kTileManager::MaxLevelBytes))
        level.clear();
    const uint32_t checksum = Tqz41kReplayFile::LevelChecksum(level);
    if (loaded && loadedChecksum == checksum)
        return checksum;
    loaded = true;
    loadedChecksum = checksum;
    ghost.Clear();
    if (record.Capacity() == 0)
        record = DirectionRecord(Tqz41kReplayFile::MaxTicks);
    std::error_code error;
    if (!std::filesystem::exists(kReplayFile, error))
        return checksum;
    const std::string refused = Tqz41kReplayFile::Read(kReplayFile, checksum, record);
    if (!refused.empty()) {
        std::fprintf(stderr, "%s left out: %s\n", kReplayFile, refused.c_str());
        return checksum;
    }
    ghost.Build(Tqz41kTileManager::ParseLevel(level), record);
    return checksum;
}

void Tqz41kBestRun::Save(const DirectionRecord& run, uint32_t levelChecksum)
{
    loaded = false;
    // An older, slower run must not stand beside the new best time.
    if (run.Overflowed()) {
        std::remove(kReplayFile);
        return;
    }
    if (!Tqz41kReplayFile::Write(kReplayFile, run, levelChecksum))
        std::fprintf(stderr, "Could not save the best run to %s\n", kReplayFile);
}
