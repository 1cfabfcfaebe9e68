// Fuzzes the replay reader: Tqz41kReplayFile::Parse on the raw bytes, and Read
// on the same bytes as "Best.replay". A record it takes must come back the
// same when written out and read again; one it refuses must leave nothing
// behind; and the file must read exactly as the bytes do.

#include "FuzzSupport.h"
#include "Tqz41kReplayFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr const char* kReplayFile = "Best.replay";
// The checksum of no level at all, as the seeds' headers give it.
const uint32_t kLevel = Tqz41kReplayFile::LevelChecksum("");

bool SameRecord(const DirectionRecord& a, const DirectionRecord& b)
{
    if (a.Ticks() != b.Ticks())
        return false;
    for (size_t tick = 0; tick < a.Ticks(); ++tick) {
        if (a.At(tick) != b.At(tick))
            return false;
    }
    return true;
}

// Made once: a record's buffer is a quarter of a megabyte.
std::unique_ptr<DirectionRecord> parsed, again;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    EnterScratchFolder();
    parsed = std::make_unique<DirectionRecord>(Tqz41kReplayFile::MaxTicks);
    again = std::make_unique<DirectionRecord>(Tqz41kReplayFile::MaxTicks);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string refused = Tqz41kReplayFile::Parse(bytes, kLevel, *parsed);
    if (!refused.empty() && parsed->Ticks() != 0)
        Fail("a refused record (" + refused + ") kept ticks", bytes);
    if (refused.empty()) {
        const std::string written = Tqz41kReplayFile::Format(*parsed, kLevel);
        const std::string reread = Tqz41kReplayFile::Parse(written, kLevel, *again);
        if (!reread.empty() || !SameRecord(*parsed, *again))
            Fail("a record written out reads back differently: " + reread, bytes);
    }

    WriteWholeFile(kReplayFile, bytes);
    const std::string fromFile = Tqz41kReplayFile::Read(kReplayFile, kLevel, *again);
    if (fromFile != refused || !SameRecord(*parsed, *again))
        Fail("the file reads \"" + fromFile + "\", the bytes \"" + refused + "\"", bytes);
    return 0;
}
