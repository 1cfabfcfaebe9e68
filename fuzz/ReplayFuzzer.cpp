// Fuzzes the replay reader: Parse on the raw bytes, and Read on them as a
// file. A record it takes must come back the same when written out and read
// again; one it refuses must leave nothing behind; the file must read as the
// bytes do.

#include "FuzzSupport.h"
#include "Tqz41kReplayFile.h"

namespace {

bool SameRecord(const DirectionRecord& a, const DirectionRecord& b)
{
    bool same = a.Ticks() == b.Ticks();
    for (size_t tick = 0; same && tick < a.Ticks(); ++tick)
        same = a.At(tick) == b.At(tick);
    return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The checksum of no level at all, as the seeds' headers give it.
    static const uint32_t level = Tqz41kReplayFile::LevelChecksum("");
    // Made once: a record's buffer is a quarter of a megabyte.
    static DirectionRecord parsed(Tqz41kReplayFile::MaxTicks), again(Tqz41kReplayFile::MaxTicks);
    const std::string_view bytes = Bytes(data, size);
    const std::string refused = Tqz41kReplayFile::Parse(bytes, level, parsed);
    if (!refused.empty() && parsed.Ticks() != 0)
        Fail("a refused record (" + refused + ") kept ticks", bytes);
    if (refused.empty()) {
        const std::string reread = Tqz41kReplayFile::Parse(Tqz41kReplayFile::Format(parsed, level), level, again);
        if (!reread.empty() || !SameRecord(parsed, again))
            Fail("a record written out reads back differently: " + reread, bytes);
    }
    WriteWholeFile("Best.replay", bytes);
    const std::string fromFile = Tqz41kReplayFile::Read("Best.replay", level, again);
    if (fromFile != refused || !SameRecord(parsed, again))
        Fail("the file reads \"" + fromFile + "\", the bytes \"" + refused + "\"", bytes);
    return 0;
}
