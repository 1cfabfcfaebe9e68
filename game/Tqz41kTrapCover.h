#pragma once

#include "DisplayableObject.h"

class ImageData;
class Tqz41kMain;

// The fixed picture a trap drops out of. Placed right after its trap in the
// object array, it is drawn over it. It never moves and never hurts.
class Tqz41kTrapCover : public DisplayableObject {
public:
    // (x, y) is the top-left corner, the trap's start.
    Tqz41kTrapCover(Tqz41kMain* game, int x, int y, ImageData* image);
    ~Tqz41kTrapCover() override = default;

    void Draw() override;

private:
    ImageData* image;  // lent: the game's cover picture
};
