#pragma once

#include "DisplayableObject.h"

class ImageData;
class Tqz41kMain;

// One key lying in the level: a pulsing gold glow under a small picture, taken
// when the player (object 0) comes beside it in the same map row. It never
// moves, and once taken it stays hidden; it does not own its picture.
class Tqz41kCollectibles : public DisplayableObject {
public:
    // (x, y) is the key's centre.
    Tqz41kCollectibles(Tqz41kMain* game, int x, int y, ImageData* image);
    ~Tqz41kCollectibles() override = default;

    void Draw() override;
    // The pick-up test; with no player in object 0 it only requests a redraw.
    void DoUpdate(int time) override;

private:
    Tqz41kMain* game;  // lent: the same object as engine
    ImageData* image;  // lent: the game's key picture
};
