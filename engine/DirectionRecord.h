#pragma once

#include "DirectionInput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The directions held at each update tick of a run, a byte a tick (bit d for
// Direction d), in a buffer sized once, before any run: recording a tick
// allocates nothing, and a run longer than the buffer is marked overflowed
// instead of kept. As text it is one line per stretch of the same directions:
// "<ticks> <U, D, L and R held, or - for none>".
class DirectionRecord {
public:
    static constexpr unsigned AllDirections = 0xF;

    explicit DirectionRecord(size_t capacityTicks = 0) : held(capacityTicks) {}

    // Empty again, for the next run; keeps the buffer.
    void Clear()
    {
        ticks = 0;
        overflowed = false;
    }
    // Appends one tick's directions. False, keeping nothing more and marking
    // the record overflowed, when the buffer is full.
    bool Push(unsigned directions);
    // Appends count ticks of the same directions; false as Push.
    bool PushStretch(size_t count, unsigned directions);

    size_t Ticks() const { return ticks; }
    size_t Capacity() const { return held.size(); }
    bool Overflowed() const { return overflowed; }
    // The directions of a tick; none past the end.
    unsigned At(size_t tick) const { return tick < ticks ? held[tick] : 0; }

    // Appends the stretch lines, each ending in a line feed.
    void AppendStretches(std::string& text) const;
    // One stretch line without its line end: ticks from 1 to maxTicks in
    // plain digits, one space, then "-" or each of U, D, L, R at most once
    // (in any order). False for anything else.
    static bool ParseStretch(std::string_view line, size_t maxTicks, size_t& count,
                             unsigned& directions);

private:
    std::vector<uint8_t> held;
    size_t ticks = 0;
    bool overflowed = false;
};
