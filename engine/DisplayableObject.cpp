#include "DisplayableObject.h"

#include "BaseEngine.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr uint32_t kMarkerColour = 0x00FF00FF;  // magenta: an object that draws nothing of its own
}

DisplayableObject::DisplayableObject(BaseEngine* engine) : engine(engine) {}

void DisplayableObject::Draw()
{
    SDL_Surface* surface = engine->GetForeground();
    if (surface && drawWidth > 0 && drawHeight > 0) {
        const int left = currentScreenX + drawOffsetX;
        const int top = currentScreenY + drawOffsetY;
        engine->DrawFilledRectangle(left, top, left + drawWidth - 1, top + drawHeight - 1,
                                    kMarkerColour, surface);
    }
    StoreDrawnPosition();
}

void DisplayableObject::RedrawBackground()
{
    engine->CopyBackgroundPixels(previousScreenX + drawOffsetX, previousScreenY + drawOffsetY,
                                 drawWidth, drawHeight);
}

void DisplayableObject::DoUpdate(int) {}

void DisplayableObject::StoreDrawnPosition()
{
    previousScreenX = currentScreenX;
    previousScreenY = currentScreenY;
}
