#pragma once

#include "DirectionRecord.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTileManager.h"

#include <array>
#include <functional>

// Plays a record from the start of a run with the game's own objects, out of
// sight: a game of its own on the given level that prints nothing, plays no
// sound and reads or writes no file. A run starts from the same state every
// time (a fresh roster, traps at rest until the run starts) and the update
// tick is fixed, so the record's directions alone decide what happens.
class Tqz41kRunReplayer {
public:
    struct Outcome {
        int ticksPlayed = 0;
        int winTick = -1;        // the update that won the run, from 1; -1: not won
        int firstTrapTick = -1;  // the first update in which a trap touched the player
        std::array<int, Tqz41kPlayer::KeysToFind> keyTicks{};  // the update of the k-th key taken; -1
    };
    // After each update but a winning one: its number (from 1) and the player then.
    using OnTick = std::function<void(int tick, const Tqz41kPlayer::State& player)>;

    // Plays every tick of the record, up to a win, or with stopAtTrap up to
    // the first touch of a trap. Loads the player's and the map's pictures
    // from the working folder, when there are any, as the game does.
    static Outcome Play(const Tqz41kTileManager::Cells& level, const DirectionRecord& record,
                        bool stopAtTrap, const OnTick& onTick = nullptr);
};
