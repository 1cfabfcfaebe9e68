#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Checks a level text by playing it with the game's own code: the game reads
// the text as its level, and a breadth-first search over (position, keys
// taken) drives the real player and key updates with every combination of
// held arrow keys, from the start point until the first win. Plainly it leaves
// the traps out and finds the fewest ticks to each key and to a win. With
// traps it plays them moving from the start of a run (see TrapSearch) and
// also tells how fair the level is. The game runs in a private temporary folder that is
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
        int routeTicks = -1;  // with traps: the tick the fastest winning route takes it
    };

    // With traps: places where a player standing still is hit, by the cell
    // under its feet (a floor cell, or the ladder it hangs on). Over a trap,
    // the trap comes up from below the player's feet, which no player expects
    // of a block that slides down; under one, it comes down on the player.
    struct Hazard {
        bool overTrap = false;
        int column = 0;
        int row = 0;
        int firstX = 0;  // the player's left edge, over every such place on the cell
        int lastX = 0;
        int firstY = 0;  // its top edge
        int lastY = 0;
    };

    // With traps: the stretch of the fastest route, between two places where
    // the player can wait unhit, that allows the fewest consecutive starting
    // ticks. ticks is -1 when no stretch needs timing.
    struct Window {
        int ticks = -1;
        int fromTick = 0;  // the route leaves the waiting place after this tick
        int toTick = 0;    // and reaches the next one after this one
        int x = 0;         // the waiting place it leaves
        int y = 0;
    };

    // "x 136 to 188, y 510": the places of a hazard, for a report.
    static std::string HazardPlaces(const Hazard& hazard);

    enum class Mode { Plain, Traps };

    // Arrows held in one tick of a route: these bits, any combination.
    static constexpr unsigned HeldLeft = 1, HeldRight = 2, HeldUp = 4, HeldDown = 8;

    struct Result {
        std::vector<Warning> warnings;  // the level still plays as the game reads it
        std::vector<Key> keys;          // in the game's roster order
        bool allKeysTaken = false;      // some run takes all the keys (the chest opens)
        int winTicks = -1;              // fewest update ticks to a win; -1: none
        std::string failure;            // set when the game could not be run at all
        // With traps: winTicks counts them. The fastest winning route as the
        // arrows held in each tick, from the first update of the run.
        std::vector<unsigned> route;
        std::vector<Hazard> hazards;
        Window tightest;
        int trapPeriod = 0;  // ticks after which every trap is back where it began

        bool Winnable() const { return failure.empty() && winTicks >= 0; }
    };

    // How far the search with traps may grow unless told otherwise, in MB
    // (of 2^20 bytes). The shipped level's takes about 140.
    static constexpr size_t DefaultMaxMegabytes = 512;

    // Needs SDL's video subsystem (the dummy driver is chosen here; SDL is
    // kept from taking SIGINT and SIGTERM). Changes the working folder while
    // it runs and restores it before returning. Writes nothing to standard
    // output. A search with traps that would outgrow maxMegabytes, or any
    // search stopped by RequestStop, ends with failure set.
    static Result Check(std::string_view levelText, Mode mode = Mode::Plain,
                        size_t maxMegabytes = DefaultMaxMegabytes);

    // Makes a check under way end soon, removing its folder as ever; safe to
    // call from a signal handler. It holds for every later check as well.
    static void RequestStop();
    static bool StopRequested();
};
