#pragma once

// The level's fixed places, in screen pixels: a level file gives only the
// cells, and is built around these. The game's roster, the player, the level
// checker, the benchmarks and the tests all read them from here.
namespace Tqz41kLayout {

struct Place {
    int x;
    int y;
};

// The player's top-left corner at the start of a run and after a ghost's drift.
constexpr Place Start = {100, 510};
// Key glows' centres, in roster order: all but the last before the traps.
constexpr Place Keys[] = {{750, 420}, {40, 420}, {700, 520}, {90, 70}, {40, 220}};
constexpr int KeysBeforeTraps = 4;
// Each trap's top-left corner at rest, under its cover.
constexpr Place Traps[] = {{150, 240}, {245, 240}, {310, 240}, {380, 240}, {160, 440}};
// The chest's cell: the last column of the first row.
constexpr int ChestColumn = 14;
constexpr int ChestRow = 0;

}  // namespace Tqz41kLayout
