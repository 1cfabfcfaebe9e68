// Fuzzes the score reader: Tqz41kMain::ParseHiScore on the raw bytes, and
// ReadHiScore on the same bytes as "Score.txt". A score is a formatted decimal
// integer (leading white space, an optional sign, digits, anything after them
// ignored) that fits an int and is above 0; everything else is no score. The
// C library's strtoll, which reads exactly that form, is the reference.

#include "FuzzSupport.h"
#include "Tqz41kMain.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* kScoreFile = "Score.txt";

std::optional<int> ReadWithStrtoll(std::string_view bytes)
{
    // strtoll stops at the first NUL, as the reader stops at any non-digit.
    const std::string text(bytes);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE || value <= 0 || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string Describe(const std::optional<int>& score)
{
    return score ? std::to_string(*score) : "no score";
}

// Made once, without SDL: only its score reader is used.
std::unique_ptr<Tqz41kMain> game;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    EnterScratchFolder();
    game = std::make_unique<Tqz41kMain>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<int> parsed = Tqz41kMain::ParseHiScore(bytes);
    if (parsed && *parsed <= 0)
        Fail("ParseHiScore gave " + std::to_string(*parsed) + ", not above 0", bytes);
    const std::optional<int> expected = ReadWithStrtoll(bytes);
    if (parsed != expected)
        Fail("ParseHiScore gave " + Describe(parsed) + ", the number reads " + Describe(expected),
             bytes);

    WriteWholeFile(kScoreFile, bytes);
    const int read = game->ReadHiScore();
    if (read != parsed.value_or(0))
        Fail("ReadHiScore gave " + std::to_string(read) + ", ParseHiScore " + Describe(parsed),
             bytes);
    return 0;
}
