#pragma once

#include "ImageData.h"
#include "TileManager.h"

#include <array>
#include <string_view>

class BaseEngine;

// The level map: 15 columns by 11 rows of tile codes, read from a level text,
// drawn as sky with grass, ladders and the chest on top. It knows what a code
// looks like, not what it means to the player: the movement rules live with
// the player.
class Tqz41kTileManager final : public TileManager {
public:
    static constexpr int TileSky = 3;
    static constexpr int TileChestClosed = 4;
    static constexpr int TileChestOpen = 7;
    static constexpr int TileLadder = 21;
    static constexpr int TileGrass = 22;

    static constexpr int MapColumns = 15;
    static constexpr int MapRows = 11;
    static constexpr int MapScreenX = 0;
    static constexpr int MapScreenY = 40;  // the heads-up band lies above the map
    static constexpr unsigned int SkyColour = 0x87CEEB;

    // Row after row: cell (column c, row r) is element r * MapColumns + c.
    using Cells = std::array<int, MapColumns * MapRows>;

    // The largest level file read, in bytes; a larger one is no level. Far
    // more than 11 lines of 15 letters, yet read in no time.
    static constexpr long long MaxLevelBytes = 1 << 20;

    Tqz41kTileManager();
    ~Tqz41kTileManager() = default;

    // A level text as the game reads it: line k is row k, character j of it
    // column j; a CR directly before an LF is dropped; a cell is the byte as a
    // signed char minus 'a'. Surplus lines and characters are ignored; cells
    // the text does not reach hold 0 (looks like sky, but is a wall and a floor).
    static Cells ParseLevel(std::string_view bytes);

    // Reads the named file through ParseLevel, installs it with SetLevel and
    // prints the map. A missing or unreadable file, or one larger than
    // MaxLevelBytes, gets one line naming it on standard error and installs
    // what was read (for a missing or too large file nothing: every cell 0).
    void LoadLevel(const char* fileName);
    // Replaces the map with these cells at the map's screen origin; no output.
    void SetLevel(const Cells& cells);
    // The map as rows of "%d " numbers, one line per row, on standard output.
    void PrintMap() const;

    // Sky over the whole cell, then the cell's picture 55 x 50 with its
    // transparent colour left out. A ladder gets grass behind it when the cell
    // before it in row-after-row order is grass (for column 0 that is the last
    // cell of the row above).
    void DrawTileAt(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY, int screenX,
                    int screenY) override;

private:
    ImageData grassImage;
    ImageData ladderImage;
    ImageData chestClosedImage;
    ImageData chestOpenImage;
};
