#include "Tqz41kCollectibles.h"

#include "ImageData.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"

#include <cstdint>

namespace {

// The restored rectangle encloses the largest glow and the picture.
constexpr int kRedrawOffsetX = -50;
constexpr int kRedrawOffsetY = -25;
constexpr int kRedrawWidth = 100;
constexpr int kRedrawHeight = 50;

constexpr int kPictureWidth = 20;
constexpr int kPictureHeight = 30;
constexpr int kReach = 30;  // the picture's right edge counts within this span of the player's left

constexpr int kPhaseMs = 30;      // the glow changes every 30 ms
constexpr int kPhases = 50;       // one cycle: 1.5 s
constexpr int kGrowingPhases = 15;
constexpr int kSmallestRadius = 10;
constexpr int kShrinkBase = 40;   // radius 40 - phase after the growing phases
constexpr unsigned int kGold = 0xD4AF37;

}  // namespace

Tqz41kCollectibles::Tqz41kCollectibles(Tqz41kMain* game, int x, int y, ImageData* image)
    : DisplayableObject(game), game(game), image(image)
{
    currentScreenX = previousScreenX = x;
    currentScreenY = previousScreenY = y;
    drawOffsetX = kRedrawOffsetX;
    drawOffsetY = kRedrawOffsetY;
    drawWidth = kRedrawWidth;
    drawHeight = kRedrawHeight;
    visible = false;
}

void Tqz41kCollectibles::DoUpdate(int)
{
    if (!visible)
        return;
    StoreDrawnPosition();

    if (auto* player = dynamic_cast<Tqz41kPlayer*>(game->GetDisplayableObject(0))) {
        // 64-bit sums: a player placed anywhere by a tool cannot overflow them.
        const int64_t px = player->GetLeft();
        const int64_t kx = currentScreenX;
        const Tqz41kTileManager& map = game->GetTileMap();
        const bool sameRow = map.MapYForScreenY(player->GetTop()) == map.MapYForScreenY(currentScreenY);
        const bool centreInside = px < kx && kx < px + Tqz41kPlayer::Width;
        const int64_t rightEdge = kx + kPictureWidth / 2;
        const bool edgeInside = px < rightEdge && rightEdge < px + kReach;
        if (sameRow && (centreInside || edgeInside)) {
            visible = false;
            player->CollectKey();
        }
    }
    engine->RedrawChanges();
}

void Tqz41kCollectibles::Draw()
{
    if (!visible)
        return;
    // The clock read as unsigned milliseconds: past 2^31 (24.8 days) the signed
    // value turns negative, and a negative phase would grow the glow out of
    // the rectangle that erases it.
    const unsigned int ms = static_cast<unsigned int>(game->GetTime());
    const int phase = static_cast<int>(ms / kPhaseMs % kPhases);
    // After shrinking to nothing the radius goes negative; the oval orders its
    // corners, so the glow grows back before the cycle restarts.
    const int radius = phase <= kGrowingPhases ? phase + kSmallestRadius : kShrinkBase - phase;
    const int x = currentScreenX, y = currentScreenY;
    engine->DrawFilledOval(x - radius, y - radius, x + radius - 1, y + radius - 1, kGold,
                           engine->GetForeground());
    image->RenderImageWithMask(engine->GetForeground(), 0, 0, x - kPictureWidth / 2,
                               y - kPictureHeight / 2, kPictureWidth, kPictureHeight);
    StoreDrawnPosition();
}
