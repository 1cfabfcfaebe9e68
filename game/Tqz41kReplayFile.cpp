#include "Tqz41kReplayFile.h"

#include "AtomicFile.h"
#include "VaultrunVersion.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {
constexpr std::string_view kFormat = "vaultrun-replay 1 ";
constexpr std::string_view kLevelWord = " level ";
constexpr size_t kMaxVersionLength = 32;
constexpr int kChecksumDigits = 8;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool IsVersionCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
           c == '-' || c == '+' || c == '~';
}

// The checksum of a header line, or false when it is not one.
bool ParseHeader(std::string_view line, uint32_t& checksum)
{
    if (line.substr(0, kFormat.size()) != kFormat)
        return false;
    line.remove_prefix(kFormat.size());
    const size_t versionEnd = line.find(' ');
    if (versionEnd == 0 || versionEnd == std::string_view::npos || versionEnd > kMaxVersionLength)
        return false;
    for (const char c : line.substr(0, versionEnd)) {
        if (!IsVersionCharacter(c))
            return false;
    }
    line.remove_prefix(versionEnd);
    if (line.substr(0, kLevelWord.size()) != kLevelWord)
        return false;
    line.remove_prefix(kLevelWord.size());
    if (line.size() != kChecksumDigits)
        return false;
    checksum = 0;
    for (const char c : line) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        checksum = checksum << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}
}  // namespace

uint32_t Tqz41kReplayFile::LevelChecksum(std::string_view levelBytes)
{
    return SDL_crc32(0, levelBytes.data(), levelBytes.size());
}

bool Tqz41kReplayFile::ReadBounded(const char* path, std::string& bytes)
{
    bytes.clear();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    File file(std::fopen(path, "rb"));
    if (!file)
        return false;
    // In chunks: a file of a few hundred bytes costs no megabyte.
    char chunk[4096];
    for (size_t count = 0; bytes.size() <= MaxBytes &&
                           (count = std::fread(chunk, 1, std::min(sizeof chunk, MaxBytes + 1 - bytes.size()),
                                               file.get())) > 0;)
        bytes.append(chunk, count);
    if (std::ferror(file.get()) == 0)
        return true;
    bytes.clear();
    return false;
}

std::string Tqz41kReplayFile::Header(uint32_t levelChecksum)
{
    char line[96];
    std::snprintf(line, sizeof line, "%.*s%s%.*s%08x\n", static_cast<int>(kFormat.size()),
                  kFormat.data(), VAULTRUN_VERSION, static_cast<int>(kLevelWord.size()),
                  kLevelWord.data(), static_cast<unsigned>(levelChecksum));
    return line;
}

std::string Tqz41kReplayFile::Format(const DirectionRecord& record, uint32_t levelChecksum)
{
    std::string text = Header(levelChecksum);
    record.AppendStretches(text);
    return text;
}

std::string Tqz41kReplayFile::Parse(std::string_view text, uint32_t levelChecksum,
                                    DirectionRecord& record)
{
    record.Clear();
    const auto refuse = [&record](std::string reason) {
        record.Clear();
        return reason;
    };
    if (text.size() > MaxBytes)
        return refuse("larger than any record");
    bool headerSeen = false;
    uint32_t checksum = 0;
    for (int lineNumber = 1; !text.empty(); ++lineNumber) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!headerSeen) {
            if (!ParseHeader(line, checksum))
                return refuse("not a replay");
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == '#')
            continue;
        size_t ticks = 0;
        unsigned directions = 0;
        if (!DirectionRecord::ParseStretch(line, MaxTicks, ticks, directions))
            return refuse("damaged at line " + std::to_string(lineNumber));
        if (record.Ticks() + ticks > MaxTicks || !record.PushStretch(ticks, directions))
            return refuse("longer than any record");
    }
    if (!headerSeen)
        return refuse("not a replay");
    if (record.Ticks() == 0)
        return refuse("holds no ticks");
    if (checksum != levelChecksum)
        return refuse(ForeignLevel);
    return "";
}

std::string Tqz41kReplayFile::Read(const char* path, uint32_t levelChecksum, DirectionRecord& record)
{
    record.Clear();
    std::string bytes;
    if (!ReadBounded(path, bytes))
        return "cannot be read";
    return Parse(bytes, levelChecksum, record);
}

bool Tqz41kReplayFile::Write(const char* path, const DirectionRecord& record, uint32_t levelChecksum)
{
    return AtomicFile::Replace(path, Format(record, levelChecksum));
}
