#include "Tqz41kSettings.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

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
    std::string temporary = std::string(path) + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    bool written = false;
    if (descriptor >= 0) {
        const std::string line = std::string(on ? kSoundOn : kSoundOff) + "\n";
        written = write(descriptor, line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
                  fsync(descriptor) == 0;
        written = close(descriptor) == 0 && written;
        if (written && std::rename(temporary.c_str(), path) == 0)
            return true;
        std::remove(temporary.c_str());
    }
    std::fprintf(stderr, "Could not save the sound setting to %s\n", path);
    return false;
}
