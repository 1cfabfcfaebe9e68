#include "TileManager.h"

#include "BaseEngine.h"

#include <algorithm>

namespace {
constexpr int kGreyLevels = 16;
constexpr unsigned int kGreyStep = 0x101010;
}  // namespace

TileManager::TileManager(int tileHeight, int tileWidth)
    : tileHeight(tileHeight), tileWidth(tileWidth)
{
}

void TileManager::SetSize(int columns, int rows)
{
    mapWidth = std::max(columns, 0);
    mapHeight = std::max(rows, 0);
    tileValues = std::make_unique<int[]>(static_cast<size_t>(mapWidth) * mapHeight);
}

void TileManager::SetBaseScreenPosition(int x, int y)
{
    baseScreenX = x;
    baseScreenY = y;
}

bool TileManager::IsInMap(int mapX, int mapY) const
{
    return mapX >= 0 && mapX < mapWidth && mapY >= 0 && mapY < mapHeight;
}

int TileManager::GetValue(int mapX, int mapY) const
{
    return IsInMap(mapX, mapY) ? tileValues[mapWidth * mapY + mapX] : 0;
}

void TileManager::SetValue(int mapX, int mapY, int value)
{
    if (IsInMap(mapX, mapY))
        tileValues[mapWidth * mapY + mapX] = value;
}

void TileManager::DrawTileRange(BaseEngine* engine, SDL_Surface* surface, int mapX1, int mapY1,
                                int mapX2, int mapY2, int screenX, int screenY)
{
    // Column by column, so a picture wider than its cell is covered again by
    // the next column's cell on its right.
    for (int mapX = mapX1; mapX <= mapX2; ++mapX) {
        for (int mapY = mapY1; mapY <= mapY2; ++mapY) {
            if (IsInMap(mapX, mapY))
                DrawTileAt(engine, surface, mapX, mapY, screenX + tileWidth * (mapX - mapX1),
                           screenY + tileHeight * (mapY - mapY1));
        }
    }
}

void TileManager::SetAndRedrawTile(BaseEngine* engine, int mapX, int mapY, int value, int screenX,
                                   int screenY)
{
    if (!IsInMap(mapX, mapY))
        return;
    SetValue(mapX, mapY, value);
    DrawTileAt(engine, engine->GetBackground(), mapX, mapY, screenX, screenY);
    engine->CopyBackgroundPixels(screenX, screenY, tileWidth, tileHeight);
}

void TileManager::DrawTileAt(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY,
                             int screenX, int screenY)
{
    if (!IsInMap(mapX, mapY))
        return;
    // A negative sum would give a negative level; wrap it into the 16 greys.
    const int level = ((GetValue(mapX, mapY) + mapX + mapY) % kGreyLevels + kGreyLevels) % kGreyLevels;
    engine->DrawFilledRectangle(screenX, screenY, screenX + tileWidth - 1, screenY + tileHeight - 1,
                                level * kGreyStep, surface);
}

void TileManager::DrawTile(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY,
                           int screenX, int screenY)
{
    if (IsInMap(mapX, mapY))
        DrawTileAt(engine, surface, mapX, mapY, screenX, screenY);
}
