#include "Tqz41kTrap.h"

#include "ImageData.h"
#include "Tqz41kMain.h"

namespace {
constexpr int kWidth = 30;
constexpr int kHeight = 45;
constexpr int kRise = 10;      // pixels above the start it withdraws to; fixed, not tied to kHeight
constexpr int kOvershoot = 8;  // it turns back once below topLimit + kHeight + this
}  // namespace

Tqz41kTrap::Tqz41kTrap(Tqz41kMain* game, int x, int y, ImageData* image)
    : DisplayableObject(game), game(game), topLimit(y - kRise), image(image)
{
    currentScreenX = previousScreenX = x;
    currentScreenY = previousScreenY = y;
    drawOffsetX = drawOffsetY = 0;
    drawWidth = kWidth;
    drawHeight = kHeight;
    visible = false;
}

void Tqz41kTrap::DoUpdate(int time)
{
    if (!visible)
        return;
    if (currentScreenY > topLimit + drawHeight + kOvershoot) {
        if (movingDown)
            game->GetSoundCues().TrapSlammed(time);  // at the bottom of its fall
        movingDown = false;
    } else if (currentScreenY <= topLimit) {
        movingDown = true;
    }
    currentScreenY += movingDown ? 1 : -1;
}

void Tqz41kTrap::Draw()
{
    if (!visible)
        return;
    image->RenderImageWithMask(engine->GetForeground(), 0, 0, currentScreenX, currentScreenY,
                               kWidth, kHeight);
    StoreDrawnPosition();
}
