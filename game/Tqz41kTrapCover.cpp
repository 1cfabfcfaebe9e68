#include "Tqz41kTrapCover.h"

#include "ImageData.h"
#include "Tqz41kMain.h"

namespace {
constexpr int kWidth = 30;
constexpr int kHeight = 50;
// The erase rectangle sits up and to the left of the picture on purpose: every
// object is drawn again after all are erased, so restoring it costs nothing.
constexpr int kRedrawOffset = -20;
}  // namespace

Tqz41kTrapCover::Tqz41kTrapCover(Tqz41kMain* game, int x, int y, ImageData* image)
    : DisplayableObject(game), image(image)
{
    currentScreenX = previousScreenX = x;
    currentScreenY = previousScreenY = y;
    drawOffsetX = drawOffsetY = kRedrawOffset;
    drawWidth = kWidth;
    drawHeight = kHeight;
    visible = false;
}

// Opaque, every pixel copied; no StoreDrawnPosition, since it never moves.
void Tqz41kTrapCover::Draw()
{
    if (!visible)
        return;
    image->RenderImage(engine->GetForeground(), 0, 0, currentScreenX, currentScreenY, kWidth,
                       kHeight);
}
