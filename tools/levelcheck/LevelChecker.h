#pragma once

#include <string>
#include <string_view>
#include <vector>

// Checks a level text by playing it with the game's own code: the game reads
// the text as its level, and a breadth-first search over (position, keys
// taken) drives the real player and key updates with every combination of
// held arrow keys, from the start point until the first win. Traps are left
// out. It finds the fewest ticks to each key and to a win; it does not judge
// how hard the level is. The game runs in a private temporary folder that is
// removed afterwards, so no file of the user's is read or written.
class LevelChecker {
public:
    struct Warning {
        int line = 0;    // 1-based line of the level text; 0 for the level as a whole
        int column = 0;  // 1-based; 0 for the whole line
        std::string message;
    };

    struct Key {
        int x = 0;  // the key's centre, as the game places it
        int y = 0;
        int ticks = -1;  // fewest update ticks from the start to taking it; -1: out of reach
    };

    struct Result {
        std::vector<Warning> warnings;  // the level still plays as the game reads it
        std::vector<Key> keys;          // in the game's roster order
        bool allKeysTaken = false;      // some run takes all the keys (the chest opens)
        int winTicks = -1;              // fewest update ticks to a win; -1: none
        std::string failure;            // set when the game could not be run at all

        bool Winnable() const { return failure.empty() && winTicks >= 0; }
    };

    // Needs SDL's video subsystem (the dummy driver is chosen here). Changes
    // the working folder while it runs and restores it before returning.
    // Writes nothing to standard output.
    static Result Check(std::string_view levelText);
};
