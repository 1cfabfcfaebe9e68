#include "Tqz41kSettings.h"

#include "AtomicFile.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {
constexpr std::string_view kSoundOff = "sound off";
constexpr std::string_view kGhostOff = "ghost off";
// A settings file is a few short lines; more than this is not ours.
constexpr size_t kReadLimitBytes = 256;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}
}  // namespace

Tqz41kSettings::Values Tqz41kSettings::Parse(std::string_view text)
{
    Values values;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        values.soundOn = values.soundOn && line != kSoundOff;
        values.ghostOn = values.ghostOn && line != kGhostOff;
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return values;
}

Tqz41kSettings::Values Tqz41kSettings::Read(const char* path)
{
    // Only a plain file: a named pipe would wait for a writer forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return {};
    char bytes[kReadLimitBytes + 1];
    const size_t count = std::fread(bytes, 1, sizeof bytes, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || count > kReadLimitBytes)
        return {};
    return Parse(std::string_view(bytes, count));
}

bool Tqz41kSettings::WriteSoundOn(bool on, const char* path)
{
    Values values = Read(path);
    values.soundOn = on;
    return Write(values, "sound", path);
}

bool Tqz41kSettings::WriteGhostOn(bool on, const char* path)
{
    Values values = Read(path);
    values.ghostOn = on;
    return Write(values, "ghost", path);
}

bool Tqz41kSettings::Write(const Values& values, const char* what, const char* path)
{
    std::string text = values.soundOn ? "sound on\n" : "sound off\n";
    if (!values.ghostOn)
        text += std::string(kGhostOff) + "\n";
    if (AtomicFile::Replace(path, text))
        return true;
    std::fprintf(stderr, "Could not save the %s setting to %s\n", what, path);
    return false;
}
