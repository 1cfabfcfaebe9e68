#pragma once

#include <SDL.h>

#include <memory>

class BaseEngine;

// A grid of integer cells drawn as equal rectangles from a base screen position.
// It converts between cells and screen pixels and draws cells through one
// virtual hook; what a cell value means is the derived map's business.
// Held by value by its owner, so its destructor is deliberately not virtual.
class TileManager {
public:
    TileManager(int tileHeight, int tileWidth);
    TileManager(const TileManager&) = delete;
    TileManager& operator=(const TileManager&) = delete;

    // Replaces the grid with columns x rows cells, all 0. Negative sizes give no cells.
    void SetSize(int columns, int rows);
    void SetBaseScreenPosition(int x, int y);

    // Cells outside the map read as 0; writes outside it are ignored.
    int GetValue(int mapX, int mapY) const;
    void SetValue(int mapX, int mapY, int value);
    bool IsInMap(int mapX, int mapY) const;

    int ScreenXForMapX(int mapX) const { return baseScreenX + tileWidth * mapX; }
    int ScreenYForMapY(int mapY) const { return baseScreenY + tileHeight * mapY; }
    // Truncating divisions: a pixel up to one cell left of or above the map
    // still reads column or row 0.
    int MapXForScreenX(int screenX) const { return (screenX - baseScreenX) / tileWidth; }
    int MapYForScreenY(int screenY) const { return (screenY - baseScreenY) / tileHeight; }

    // Draws the inclusive cell range, cell (mapX1, mapY1) at (screenX, screenY).
    void DrawTileRange(BaseEngine* engine, SDL_Surface* surface, int mapX1, int mapY1,
                       int mapX2, int mapY2, int screenX, int screenY);
    // Stores the value, draws the cell into the background and copies it to the
    // foreground at once. Does nothing for a cell outside the map.
    void SetAndRedrawTile(BaseEngine* engine, int mapX, int mapY, int value,
                          int screenX, int screenY);

    // Draws one cell; the base draws a grey that depends on value and place.
    // Cells outside the map are not drawn by any of these.
    virtual void DrawTileAt(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY,
                            int screenX, int screenY);
    virtual void DrawTile(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY,
                          int screenX, int screenY);

    int GetMapWidth() const { return mapWidth; }
    int GetMapHeight() const { return mapHeight; }
    int GetBaseScreenX() const { return baseScreenX; }
    int GetBaseScreenY() const { return baseScreenY; }

protected:
    ~TileManager() = default;

    std::unique_ptr<int[]> tileValues;
    int mapWidth = 0;
    int mapHeight = 0;
    int baseScreenX = 0;
    int baseScreenY = 0;
    int tileHeight;
    int tileWidth;
};
