#include "DirectionRecord.h"

#include <algorithm>
#include <cstdio>

namespace {
// Written in this order; read in any.
constexpr struct {
    Direction direction;
    char letter;
} kLetters[] = {{Direction::Up, 'U'}, {Direction::Down, 'D'}, {Direction::Left, 'L'}, {Direction::Right, 'R'}};
}  // namespace

bool DirectionRecord::Push(unsigned directions)
{
    return PushStretch(1, directions);
}

bool DirectionRecord::PushStretch(size_t count, unsigned directions)
{
    if (overflowed || count > held.size() - ticks) {
        overflowed = true;
        return false;
    }
    std::fill_n(held.begin() + static_cast<std::ptrdiff_t>(ticks), count,
                static_cast<uint8_t>(directions & AllDirections));
    ticks += count;
    return true;
}

void DirectionRecord::AppendStretches(std::string& text) const
{
    for (size_t tick = 0; tick < ticks;) {
        const uint8_t directions = held[tick];
        size_t end = tick;
        while (end < ticks && held[end] == directions)
            ++end;
        char line[32];
        int length = std::snprintf(line, sizeof line, "%zu ", end - tick);
        for (const auto& letter : kLetters) {
            if (directions & DirectionBit(letter.direction))
                line[length++] = letter.letter;
        }
        if (directions == 0)
            line[length++] = '-';
        line[length++] = '\n';
        text.append(line, static_cast<size_t>(length));
        tick = end;
    }
}

bool DirectionRecord::ParseStretch(std::string_view line, size_t maxTicks, size_t& count,
                                   unsigned& directions)
{
    size_t at = 0;
    count = 0;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
        count = count * 10 + static_cast<size_t>(line[at] - '0');
        if (count > maxTicks)
            return false;
    }
    if (at == 0 || count == 0 || at >= line.size() || line[at] != ' ')
        return false;
    const std::string_view held = line.substr(at + 1);
    directions = 0;
    if (held == "-")
        return true;
    if (held.empty())
        return false;
    for (const char c : held) {
        const auto* letter = std::find_if(std::begin(kLetters), std::end(kLetters),
                                          [c](const auto& l) { return l.letter == c; });
        if (letter == std::end(kLetters) || (directions & DirectionBit(letter->direction)))
            return false;
        directions |= DirectionBit(letter->direction);
    }
    return true;
}
