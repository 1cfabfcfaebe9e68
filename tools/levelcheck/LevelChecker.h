#pragma once

#include <string>
#include <string_view>
#include <vector>

// Checks a level text against what the game needs of it: its shape, its tile
// letters, the closed chest in the top-right cell, and, by running the game's
// own player movement from the start point over every place it leads to,
// that all five keys and the chest can be reached, that the player cannot
// leave the map, and that no trap catches the player where its ghost could
// not drift home. It changes no file and draws nothing on screen.
class LevelChecker {
public:
    struct Finding {
        bool error = true;  // false: a warning, the level still plays
        int line = 0;       // 1-based line of the level text; 0 for the level as a whole
        int column = 0;     // 1-based; 0 for the whole line
        std::string message;
    };

    // Needs SDL's video subsystem to be available (the dummy driver will do):
    // the game engine is started, off screen, to run the movement. Writes
    // nothing to standard output.
    static std::vector<Finding> Check(std::string_view levelText);
};
