#include "Tqz41kPlayer.h"

#include "GameAssets.h"
#include "Tqz41kLayout.h"
#include "Tqz41kMain.h"
#include "Tqz41kTileManager.h"
#include "Tqz41kTrap.h"

#include <cstdio>

namespace {

constexpr int kWalkStep = 2;       // pixels a tick sideways, up, and per down step
constexpr int kMaxFall = 8;        // pixels a tick
constexpr int kDriftSteps = 3;     // drift steps a tick
constexpr int kLeftProbe = 2;      // ShouldFall looks this far left of the sprite
constexpr int kChestColumn = Tqz41kLayout::ChestColumn;
constexpr int kChestRow = Tqz41kLayout::ChestRow;

using Tiles = Tqz41kTileManager;

int Toward(int from, int to)
{
    return from < to ? 1 : -1;
}

}  // namespace

Tqz41kPlayer::Tqz41kPlayer(Tqz41kMain* game)
    : DisplayableObject(game), game(game), tileMap(&game->GetTileMap())
{
    currentScreenX = previousScreenX = StartX;
    currentScreenY = previousScreenY = StartY;
    drawOffsetX = drawOffsetY = 0;
    drawWidth = Width;
    drawHeight = Height;
    visible = false;
    normalImage.LoadImage(GameAssets::kPlayerPicture.file);
    behindImage.LoadImage(GameAssets::kPlayerBehindPicture.file);
    ghostImage.LoadImage(GameAssets::kPlayerGhostPicture.file);
}

Tqz41kPlayer::State Tqz41kPlayer::GetState() const
{
    return State{currentScreenX, currentScreenY, climbing, ghost, keysLeft};
}

void Tqz41kPlayer::SetState(const State& state)
{
    currentScreenX = state.x;
    currentScreenY = state.y;
    climbing = state.climbing;
    ghost = state.ghost;
    keysLeft = state.keysLeft;
}

// ---------------------------------------------------------------- probes

int Tqz41kPlayer::Cell(int px, int py) const
{
    return tileMap->GetValue(tileMap->MapXForScreenX(px), tileMap->MapYForScreenY(py));
}

void Tqz41kPlayer::PrintRow(const char* format, int py) const
{
    if (!engine->IsConsoleQuiet())
        std::printf(format, tileMap->MapYForScreenY(py));
}

bool Tqz41kPlayer::IsNotOnGrass() const
{
    const int x = currentScreenX, y = currentScreenY;
    return Cell(x, y + Height) != Tiles::TileGrass &&
           Cell(x + Width - 1, y + Height) != Tiles::TileGrass;
}

bool Tqz41kPlayer::ShouldFall() const
{
    const int x = currentScreenX, y = currentScreenY;
    return Cell(x - kLeftProbe, y + Height - 1) == Tiles::TileSky &&
           Cell(x + Width - 1, y + Height - 1) == Tiles::TileSky &&
           Cell(x + Width - 1, y + Height + 1) == Tiles::TileSky && IsNotOnGrass();
}

bool Tqz41kPlayer::IsOnLadder() const
{
    const int x = currentScreenX, y = currentScreenY;
    if (Cell(x - 1, y - 1) == Tiles::TileLadder)
        return Cell(x + Width - 1, y - 1) == Tiles::TileLadder;
    return Cell(x - 1, y + Height - 1) == Tiles::TileLadder;
}

bool Tqz41kPlayer::CanMoveLeft() const
{
    const int x = currentScreenX, y = currentScreenY;
    if (x < 0)
        return false;
    const int top = Cell(x - 1, y - 1);
    if (top == Tiles::TileSky)
        return Cell(x - 1, y + Height - 1) == Tiles::TileSky;
    if (top == Tiles::TileLadder) {
        PrintRow("Tile 1 %d\n", y - 1);
        PrintRow("Tile 2 %d\n", y + Height - 1);
        const int below = Cell(x - 1, y + Height);
        return below == Tiles::TileGrass || below == Tiles::TileLadder;
    }
    return false;
}

bool Tqz41kPlayer::CanMoveRight() const
{
    const int x = currentScreenX, y = currentScreenY;
    // Deliberately the sprite's own last column, not the one beyond it: a step
    // may end up to 2 pixels inside a wall cell.
    const int top = Cell(x + Width - 1, y - 1);
    if (top == Tiles::TileSky && Cell(x + Width - 1, y + Height - 1) == Tiles::TileSky)
        return true;
    if (top == Tiles::TileSky || top == Tiles::TileLadder)
        PrintRow("Tile 1 %d\n", y - 1);
    if (top == Tiles::TileLadder) {
        PrintRow("Tile 2 %d\n", y + Height - 1);
        const int below = Cell(x + Width, y + Height);
        if (below == Tiles::TileGrass || below == Tiles::TileLadder)
            return true;
    }
    return Cell(x + Width - 1, y) == Tiles::TileChestOpen && keysLeft <= 0;
}

bool Tqz41kPlayer::IsAtStart() const
{
    return currentScreenX == StartX && currentScreenY == StartY;
}

bool Tqz41kPlayer::TouchesTrap() const
{
    const int x = currentScreenX, y = currentScreenY;
    // The right and bottom points lie one pixel outside the sprite; with the
    // strict tests this finds exactly a shared pixel.
    const int points[4][2] = {{x, y}, {x + Width, y}, {x, y + Height}, {x + Width, y + Height}};
    for (int index = 0; const DisplayableObject* object = game->GetDisplayableObject(index);
         ++index) {
        const auto* trap = dynamic_cast<const Tqz41kTrap*>(object);
        if (!trap)
            continue;
        for (const auto& point : points) {
            if (trap->GetLeft() < point[0] && point[0] < trap->GetRight() &&
                trap->GetTop() < point[1] && point[1] < trap->GetBottom())
                return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- update

void Tqz41kPlayer::DoUpdate(int)
{
    if (!visible)
        return;
    if (ghost) {
        DriftHome();
    } else {
        MoveWithKeys();
        if (TouchesTrap()) {
            ghost = true;  // the rest of the tick runs as usual
            game->GetSoundCues().TrapHit();
        }
        Fall();
    }
    engine->RedrawChanges();

    if (keysLeft <= 0 &&
        Cell(currentScreenX + Width - 1, currentScreenY - 1) == Tiles::TileChestOpen) {
        // Deletes this object: nothing of it may be touched after the call.
        game->WinGame();
        return;
    }
}

void Tqz41kPlayer::MoveWithKeys()
{
    if (engine->IsDirectionHeld(Direction::Up) && IsOnLadder()) {
        currentScreenY -= kWalkStep;
        climbing = true;
    }
    if (engine->IsDirectionHeld(Direction::Down)) {
        if (IsNotOnGrass()) {
            currentScreenY += kWalkStep;
            climbing = true;
        }
        if (IsNotOnGrass())
            currentScreenY += kWalkStep;
    }
    if (engine->IsDirectionHeld(Direction::Left) && CanMoveLeft()) {
        if (!(IsOnLadder() && IsNotOnGrass()))
            climbing = false;
        currentScreenX -= kWalkStep;
    }
    if (engine->IsDirectionHeld(Direction::Right) && CanMoveRight()) {
        if (!(IsOnLadder() && IsNotOnGrass()))
            climbing = false;
        currentScreenX += kWalkStep;
    }
}

void Tqz41kPlayer::Fall()
{
    if (!ShouldFall())
        return;
    for (int dropped = 0; dropped < kMaxFall && IsNotOnGrass(); ++dropped)
        ++currentScreenY;
}

// Diagonal while both axes are off, then one axis. From right of and above the
// start this only moves left and down; from anywhere else it still comes home.
void Tqz41kPlayer::DriftHome()
{
    for (int step = 0; step < kDriftSteps; ++step) {
        if (currentScreenX != StartX && currentScreenY != StartY) {
            currentScreenX += Toward(currentScreenX, StartX);
            currentScreenY += Toward(currentScreenY, StartY);
        }
        if (currentScreenX != StartX)
            currentScreenX += Toward(currentScreenX, StartX);
        if (currentScreenY != StartY)
            currentScreenY += Toward(currentScreenY, StartY);
        if (IsAtStart()) {
            ghost = false;
            game->GetSoundCues().GhostHome();
            return;
        }
    }
}

void Tqz41kPlayer::CollectKey()
{
    --keysLeft;
    game->GetSoundCues().KeyTaken(keysLeft);
    if (keysLeft <= 0)
        tileMap->SetAndRedrawTile(engine, kChestColumn, kChestRow, Tiles::TileChestOpen,
                                  tileMap->ScreenXForMapX(kChestColumn),
                                  tileMap->ScreenYForMapY(kChestRow));
}

// ---------------------------------------------------------------- drawing

void Tqz41kPlayer::Draw()
{
    if (!visible)
        return;
    const ImageData& picture = ghost ? ghostImage : climbing ? behindImage : normalImage;
    picture.RenderImageWithMask(engine->GetForeground(), 0, 0, currentScreenX, currentScreenY,
                                Width, Height);
    StoreDrawnPosition();
}
