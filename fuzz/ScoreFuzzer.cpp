// Fuzzes the score reader: ParseHiScore on the raw bytes, and ReadHiScore on
// them as "Score.txt". A score is a formatted decimal integer (leading white
// space, an optional sign, digits, anything after them ignored) that fits an
// int and is above 0; all else is no score. strtoll reads exactly that form.

#include "FuzzSupport.h"
#include "Tqz41kMain.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tqz41kMain game;  // without SDL: only its score reader is used
    const std::string_view bytes = Bytes(data, size);
    const std::optional<int> parsed = Tqz41kMain::ParseHiScore(bytes);
    const std::optional<int> expected = ReadWithStrtoll(bytes);
    if (parsed != expected)
        Fail("ParseHiScore gave " + Describe(parsed) + ", the number reads " + Describe(expected), bytes);
    WriteWholeFile("Score.txt", bytes);
    if (game.ReadHiScore() != parsed.value_or(0))
        Fail("ReadHiScore gave " + std::to_string(game.ReadHiScore()) + ", ParseHiScore " + Describe(parsed),
             bytes);
    return 0;
}
