#include "BackdropPainter.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {
// The backdrops are painted at half size and doubled, so that their pixels
// match the chunky look of the sprites stamped into them.
constexpr int kScale = 2;
constexpr int kWidth = BackdropPainter::kScreenWidth / kScale;
constexpr int kHeight = BackdropPainter::kScreenHeight / kScale;

// Vault wall and floor: dark, low-contrast blues, so that the game's white and
// red texts read on any part of them.
constexpr uint32_t kWallTop = 0x0C0F18;
constexpr uint32_t kWall = 0x161C29;
constexpr uint32_t kWallLight = 0x1D2534;
constexpr uint32_t kMortar = 0x080A10;
constexpr uint32_t kFloor = 0x0E1119;
constexpr uint32_t kFloorEdge = 0x2A3346;
constexpr uint32_t kPlaque = 0x0A0C14;
// Steel and gold of the vault door, as in the sprites' palette.
constexpr uint32_t kSteelDark = 0x3C424C;
constexpr uint32_t kSteel = 0x5E6672;
constexpr uint32_t kSteelLight = 0x9AA4AE;
constexpr uint32_t kSteelFace = 0x4A515C;
constexpr uint32_t kGoldDark = 0x8C6A16;
constexpr uint32_t kGold = 0xD4AF37;
constexpr uint32_t kGoldLight = 0xF6DC78;
constexpr uint32_t kOutline = 0x2A1A12;
constexpr uint32_t kVaultInside = 0x05060A;
constexpr uint32_t kGlowWarm = 0x3A2A10;

// Bands (in half-size pixels) where the game writes its texts; nothing but
// the calm wall, floor or plaque is painted there.
constexpr int kFloorTop = 246;
constexpr int kBrickWidth = 24;
constexpr int kBrickHeight = 12;

uint32_t C(uint32_t rgb)
{
    return PixelCanvas::Opaque(rgb);
}

void PaintWall(PixelCanvas& canvas)
{
    canvas.FillDitheredGradient(0, 0, kWidth - 1, kFloorTop / 2, C(kWallTop), C(kWall));
    canvas.FillRect(0, kFloorTop / 2 + 1, kWidth - 1, kFloorTop - 1, C(kWall));
    for (int row = 0; row * kBrickHeight < kFloorTop; ++row) {
        const int y = row * kBrickHeight;
        canvas.FillRect(0, y, kWidth - 1, y, C(kMortar));
        const int shift = (row % 2) * (kBrickWidth / 2);
        for (int x = -shift; x < kWidth; x += kBrickWidth) {
            canvas.FillRect(x, y + 1, x, y + kBrickHeight - 1, C(kMortar));
            // A faint lit edge on the lower rows, where the floor's light reaches.
            if (y > kFloorTop / 2)
                canvas.FillRect(x + 1, y + 1, x + kBrickWidth - 2, y + 1, C(kWallLight));
        }
    }
}

void PaintFloor(PixelCanvas& canvas)
{
    canvas.FillRect(0, kFloorTop, kWidth - 1, kHeight - 1, C(kFloor));
    canvas.FillRect(0, kFloorTop, kWidth - 1, kFloorTop, C(kFloorEdge));
    for (int x = 7; x < kWidth; x += 31)
        canvas.FillRect(x, kFloorTop + 1, x, kFloorTop + 6, C(kMortar));
}

// A dark plate with a gold rim, behind the game's title text.
void PaintPlaque(PixelCanvas& canvas, int x1, int y1, int x2, int y2)
{
    canvas.FillRect(x1 - 2, y1 - 2, x2 + 2, y2 + 2, C(kOutline));
    canvas.FillRect(x1 - 1, y1 - 1, x2 + 1, y2 + 1, C(kGoldDark));
    canvas.FillRect(x1 - 1, y1 - 1, x2, y1 - 1, C(kGold));
    canvas.FillRect(x1 - 1, y1 - 1, x1 - 1, y2, C(kGold));
    canvas.FillRect(x1, y1, x2, y2, C(kPlaque));
    for (int x : {x1 + 2, x2 - 2})
        for (int y : {y1 + 2, y2 - 2})
            canvas.Set(x, y, C(kGoldDark));
}

// The round vault door, shut: rim with bolts, steel face, a gold wheel.
void PaintVaultDoor(PixelCanvas& canvas, int cx, int cy, int radius)
{
    canvas.FillEllipse(cx, cy, radius + 3, radius + 3, C(kOutline));
    canvas.FillEllipse(cx, cy, radius, radius, C(kSteelDark));
    canvas.FillRing(cx, cy, radius - 2, radius - 10, C(kSteel));
    canvas.FillRing(cx - 1, cy - 1, radius - 2, radius - 4, C(kSteelLight));
    canvas.FillEllipse(cx, cy, radius - 11, radius - 11, C(kSteelFace));
    // Bolts round the rim.
    constexpr int kBolts = 16;
    constexpr double kTau = 6.283185307179586;
    for (int i = 0; i < kBolts; ++i) {
        const double angle = kTau * i / kBolts;
        const int bx = cx + static_cast<int>((radius - 6) * std::cos(angle));
        const int by = cy + static_cast<int>((radius - 6) * std::sin(angle));
        canvas.FillEllipse(bx, by, 2, 2, C(kSteelDark));
        canvas.Set(bx - 1, by - 1, C(kSteelLight));
    }
    // The wheel: hub, ring and six spokes with knobs.
    const int wheel = radius / 3;
    for (int i = 0; i < 6; ++i) {
        const double angle = kTau * i / 6 + kTau / 12;
        for (int r = 0; r <= wheel + 6; ++r) {
            const int sx = cx + static_cast<int>(r * std::cos(angle));
            const int sy = cy + static_cast<int>(r * std::sin(angle));
            canvas.FillRect(sx - 1, sy - 1, sx + 1, sy + 1, C(kGoldDark));
            canvas.Set(sx, sy, C(kGold));
        }
        const int kx = cx + static_cast<int>((wheel + 7) * std::cos(angle));
        const int ky = cy + static_cast<int>((wheel + 7) * std::sin(angle));
        canvas.FillEllipse(kx, ky, 3, 3, C(kOutline));
        canvas.FillEllipse(kx, ky, 2, 2, C(kGold));
        canvas.Set(kx - 1, ky - 1, C(kGoldLight));
    }
    canvas.FillRing(cx, cy, wheel + 1, wheel - 3, C(kOutline));
    canvas.FillRing(cx, cy, wheel, wheel - 2, C(kGold));
    canvas.FillEllipse(cx, cy, 6, 6, C(kOutline));
    canvas.FillEllipse(cx, cy, 5, 5, C(kGold));
    canvas.FillEllipse(cx - 1, cy - 1, 2, 2, C(kGoldLight));
}

// The vault door swung open: a dark round opening whose lower half glows
// warm with the treasure inside, and the door, seen edge-on, at its right.
void PaintOpenVault(PixelCanvas& canvas, int cx, int cy, int radius)
{
    canvas.FillEllipse(cx, cy, radius + 3, radius + 3, C(kOutline));
    canvas.FillRing(cx, cy, radius, radius - 6, C(kSteel));
    canvas.FillRing(cx - 1, cy - 1, radius, radius - 2, C(kSteelLight));
    const int inner = radius - 7;
    PixelCanvas glow(2 * inner + 1, inner + 1);
    glow.FillDitheredGradient(0, 0, glow.GetWidth() - 1, glow.GetHeight() - 1, C(kVaultInside),
                              C(kGlowWarm));
    canvas.FillEllipse(cx, cy, inner, inner, C(kVaultInside));
    for (int y = 0; y <= inner; ++y)
        for (int x = -inner; x <= inner; ++x)
            if (x * x + y * y <= inner * inner)
                canvas.Set(cx + x, cy + y, glow.Get(x + inner, y));
    const int doorX = cx + radius + 14;
    canvas.FillEllipse(doorX, cy, 13, radius + 2, C(kOutline));
    canvas.FillEllipse(doorX, cy, 11, radius, C(kSteelDark));
    canvas.FillEllipse(doorX - 3, cy, 6, radius - 6, C(kSteel));
    canvas.FillEllipse(doorX - 5, cy, 2, radius - 12, C(kSteelLight));
    canvas.FillRect(doorX - 16, cy - 3, doorX - 10, cy + 3, C(kGold));
    canvas.FillRect(doorX - 16, cy - 3, doorX - 10, cy - 3, C(kGoldLight));
}

// A heap of gold coins: a low mound with bright coin tops.
void PaintCoins(PixelCanvas& canvas, int left, int baseY, int width, int height)
{
    for (int x = 0; x < width; ++x) {
        const int half = width / 2;
        const int top = baseY - height + height * std::abs(x - half) * std::abs(x - half) / (half * half);
        canvas.FillRect(left + x, top, left + x, baseY, C(kGold));
        canvas.Set(left + x, top - 1, C(kOutline));
        canvas.Set(left + x, baseY, C(kGoldDark));
        if ((x * 7) % 5 == 0)
            canvas.Set(left + x, top + 2 + (x % 3), C(kGoldLight));
        if ((x * 3) % 7 == 0)
            canvas.Set(left + x, top + 4 + (x % 4), C(kGoldDark));
    }
}

void Sparkle(PixelCanvas& canvas, int x, int y)
{
    canvas.Set(x, y, C(0xFFFFFF));
    for (int d : {-1, 1}) {
        canvas.Set(x + d, y, C(kGoldLight));
        canvas.Set(x, y + d, C(kGoldLight));
    }
    canvas.Set(x - 2, y, C(kGold));
    canvas.Set(x + 2, y, C(kGold));
    canvas.Set(x, y - 2, C(kGold));
    canvas.Set(x, y + 2, C(kGold));
}
}  // namespace

BackdropPainter::BackdropPainter(const std::map<std::string, PixelCanvas>& sprites)
    : sprites(sprites)
{
}

const PixelCanvas& BackdropPainter::Sprite(const std::string& file) const
{
    const auto found = sprites.find(file);
    return found == sprites.end() ? none : found->second;
}

PixelCanvas BackdropPainter::PaintTitle() const
{
    PixelCanvas canvas(kWidth, kHeight, C(kWall));
    PaintWall(canvas);
    PaintFloor(canvas);
    // The title text sits at (115, 130) on the screen, about 100 x 30.
    PaintPlaque(canvas, 50, 58, 118, 88);
    PaintVaultDoor(canvas, 305, 150, 86);
    // The five keys to find, on a rack above the door.
    canvas.FillRect(218, 14, 392, 16, C(kOutline));
    canvas.FillRect(218, 14, 392, 14, C(kGoldDark));
    const PixelCanvas& key = Sprite(GameAssets::kKeyPicture.file);
    for (int i = 0; i < 5; ++i)
        canvas.Stamp(key, 223 + i * 34, 10);
    PaintCoins(canvas, 330, kFloorTop, 60, 14);
    PaintCoins(canvas, 212, kFloorTop, 34, 8);
    // The captain ready to go, between the texts and the door.
    canvas.Stamp(Sprite(GameAssets::kPlayerPicture.file), 170, kFloorTop - 60, 2);
    return canvas.ScaledUp(kScale);
}

PixelCanvas BackdropPainter::PaintEnd() const
{
    PixelCanvas canvas(kWidth, kHeight, C(kWall));
    PaintWall(canvas);
    PaintFloor(canvas);
    PaintOpenVault(canvas, 282, 146, 78);
    PaintCoins(canvas, 226, kFloorTop, 150, 26);
    // The chest and the captain at the same scale, as they meet in the game.
    canvas.Stamp(Sprite(GameAssets::kChestOpenPicture.file), 244, kFloorTop - 100, 2);
    canvas.Stamp(Sprite(GameAssets::kPlayerPicture.file), 196, kFloorTop - 60, 2);
    for (const auto& [x, y] : {std::pair{226, 40}, {262, 56}, {352, 40}, {378, 96}, {320, 26},
                               {236, 104}, {384, 196}, {214, 164}, {300, 88}})
        Sparkle(canvas, x, y);
    return canvas.ScaledUp(kScale);
}
