#pragma once

#include "DisplayableObject.h"

class ImageData;
class Tqz41kMain;

// A heavy block that slides one pixel a tick between 10 pixels above its start
// and 44 below it, forever. It hurts the player with its whole 30 x 45
// rectangle, visible or not; it does not test contact itself.
class Tqz41kTrap : public DisplayableObject {
public:
    // (x, y) is the top-left corner at the start.
    Tqz41kTrap(Tqz41kMain* game, int x, int y, ImageData* image);
    ~Tqz41kTrap() override = default;

    void Draw() override;
    void DoUpdate(int time) override;

    // Where it is in its travel: what tools need to set a trap to any point
    // of its cycle and run the real motion from there.
    struct State {
        int y = 0;
        bool movingDown = true;
    };
    State GetState() const { return State{currentScreenY, movingDown}; }
    void SetState(const State& state)
    {
        currentScreenY = state.y;
        movingDown = state.movingDown;
    }

    // The rectangle the player's contact test uses; draw offsets play no part.
    int GetLeft() const { return currentScreenX; }
    int GetRight() const { return currentScreenX + drawWidth; }
    int GetTop() const { return currentScreenY; }
    int GetBottom() const { return currentScreenY + drawHeight; }

private:
    Tqz41kMain* game = nullptr;  // lent: the same object as engine
    int topLimit;
    bool movingDown = true;
    ImageData* image;  // lent: the game's trap picture
};
