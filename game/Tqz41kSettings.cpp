#include "Tqz41kSettings.h"

#include "AtomicFile.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {
constexpr const char* kSoundOff = "sound off";
constexpr const char* kSoundOn = "sound on";
// A settings file is one short line; more than this is not ours.
constexpr size_t kReadLimitBytes = 256;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

bool Tqz41kSettings::ParseSoundOn(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text != kSoundOff;
}

bool Tqz41kSettings::ReadSoundOn(const char* path)
{
    // Only a plain file: a named pipe would wait for a writer forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return true;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return true;
    char bytes[kReadLimitBytes + 1];
    const size_t count = std::fread(bytes, 1, sizeof bytes, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || count > kReadLimitBytes)
        return true;
    return ParseSoundOn(std::string_view(bytes, count));
}

bool Tqz41kSettings::WriteSoundOn(bool on, const char* path)
{
    if (AtomicFile::Replace(path, std::string(on ? kSoundOn : kSoundOff) + "\n"))
        return true;
    std::fprintf(stderr, "Could not save the sound setting to %s\n", path);
    return false;
}
