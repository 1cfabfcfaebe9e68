#pragma once

#include "GameAssets.h"

#include <SDL.h>

// What the plain search and the search with traps share: the window, the area
// in which they follow the player, and the arrow keys they press.
namespace SearchArea {
constexpr int WindowWidth = GameAssets::kWindowWidth;
constexpr int WindowHeight = GameAssets::kWindowHeight;
// The window with a margin. Nothing in the map stops a player who has left it
// from going on down for ever, so the searches have to.
constexpr int Margin = 64;
constexpr int Width = WindowWidth + 2 * Margin;
constexpr int Height = WindowHeight + 2 * Margin;

constexpr int ArrowCount = 4;
// Bit i of an input holds Arrows[i]; the order matches LevelChecker's Held bits.
constexpr int Arrows[ArrowCount] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN};
constexpr int Inputs = 1 << ArrowCount;  // every combination of the arrow keys held

constexpr bool Inside(int x, int y)
{
    return x >= -Margin && y >= -Margin && x < WindowWidth + Margin && y < WindowHeight + Margin;
}

// Index of a place inside the area, row after row.
constexpr int IndexOf(int x, int y)
{
    return (y + Margin) * Width + (x + Margin);
}
}  // namespace SearchArea
