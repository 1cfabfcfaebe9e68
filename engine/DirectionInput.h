#pragma once

class BaseEngine;
class GameControllers;

enum class Direction { Up, Down, Left, Right };

// A set of directions held together is a word of these bits.
constexpr unsigned DirectionBit(Direction direction)
{
    return 1u << static_cast<int>(direction);
}

// The one place where held keys, d-pads and sticks become the four directions
// a player steers by: the arrow keys, W A S D, and the d-pad and the left stick
// (past its dead zone) of every open controller. Only what is held counts;
// presses that start or pause things reach the game as key and button events.
class DirectionInput {
public:
    // Of the stick's 32767 either way: a stick at rest or worn a little
    // steers nothing.
    static constexpr int StickDeadZone = 8000;

    DirectionInput(const BaseEngine& keys, const GameControllers& controllers)
        : keys(keys), controllers(controllers)
    {
    }

    bool IsHeld(Direction direction) const;
    // Every direction held, as DirectionBit bits.
    unsigned HeldDirections() const;

private:
    const BaseEngine& keys;                // lent: the engine that owns this
    const GameControllers& controllers;    // lent: the engine's controllers
};
