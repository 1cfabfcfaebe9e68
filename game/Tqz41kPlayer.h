#pragma once

#include "DisplayableObject.h"
#include "ImageData.h"
#include "Tqz41kLayout.h"

class Tqz41kMain;
class Tqz41kTileManager;

// The sprite steered with the engine's four directions (arrow keys, W A S D,
// a controller's d-pad or stick). It moves in whole-pixel steps decided
// by single-pixel probes of the tile map, turns into a ghost that drifts home
// on touching a trap, and wins the run under the open chest. It has no speed
// or jump, and it never looks at the map's bounds: outside the map reads 0,
// which is neither air, ground nor ladder.
class Tqz41kPlayer : public DisplayableObject {
public:
    static constexpr int StartX = Tqz41kLayout::Start.x;
    static constexpr int StartY = Tqz41kLayout::Start.y;
    static constexpr int Width = 25;
    static constexpr int Height = 30;
    static constexpr int KeysToFind = 5;

    // What tools need to put the player anywhere and run the real movement.
    struct State {
        int x = StartX;
        int y = StartY;
        bool climbing = false;
        bool ghost = false;
        int keysLeft = KeysToFind;
    };

    explicit Tqz41kPlayer(Tqz41kMain* game);
    ~Tqz41kPlayer() override = default;

    void Draw() override;
    // One tick: keys or ghost drift, trap contact, falling, then the win test.
    // After a win this object no longer exists.
    void DoUpdate(int time) override;

    // One key fewer; the last opens the chest in its cell.
    void CollectKey();
    int GetKeysLeft() const { return keysLeft; }
    int GetLeft() const { return currentScreenX; }
    int GetTop() const { return currentScreenY; }

    State GetState() const;
    // Sets position and flags; the drawn position is left for the next Draw.
    void SetState(const State& state);

    // Probes at the current position; only CanMoveLeft and CanMoveRight print.
    bool IsNotOnGrass() const;
    bool ShouldFall() const;
    bool IsOnLadder() const;
    bool CanMoveLeft() const;
    bool CanMoveRight() const;
    bool IsAtStart() const;
    // True when the sprite shares a pixel with any trap, visible or not.
    bool TouchesTrap() const;

private:
    // The tile code under a screen pixel; 0 outside the map.
    int Cell(int px, int py) const;
    // A probe's line on the console, with the map row of pixel row py.
    void PrintRow(const char* format, int py) const;
    void MoveWithKeys();
    void Fall();
    void DriftHome();

    Tqz41kMain* game;  // lent: the same object as engine
    int keysLeft = KeysToFind;
    ImageData normalImage;
    bool climbing = false;
    ImageData behindImage;
    Tqz41kTileManager* tileMap;  // lent: the game's map
    bool ghost = false;
    ImageData ghostImage;
};
