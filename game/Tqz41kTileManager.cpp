#include "Tqz41kTileManager.h"

#include "BaseEngine.h"
#include "GameAssets.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr int kTileWidth = 54;
constexpr int kTileHeight = 50;
// The pictures are drawn one pixel wider than a cell; the next cell's sky fill
// covers that column again, since cells are drawn left to right.
constexpr int kPictureWidth = 55;
constexpr int kPictureHeight = 50;
constexpr int kLetterBase = 'a';        // 'a' is code 0, 'd' sky, 'w' grass
constexpr size_t kReadChunkBytes = 4096;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Where the reader stands in the level text. Counters saturate, so a line or
// file of any length is read in constant memory.
struct LevelScan {
    Tqz41kTileManager::Cells cells{};
    int column = 0;
    int row = 0;
    bool carriageReturnPending = false;

    bool Done() const { return row >= Tqz41kTileManager::MapRows; }
};

void TakeCharacter(LevelScan& scan, char c)
{
    if (c == '\n') {
        scan.column = 0;
        ++scan.row;
        return;
    }
    if (scan.column < Tqz41kTileManager::MapColumns) {
        scan.cells[static_cast<size_t>(scan.row) * Tqz41kTileManager::MapColumns + scan.column] =
            static_cast<signed char>(c) - kLetterBase;
        ++scan.column;
    }
}

// A CR is held back until the next byte shows whether it ends a CR LF pair.
void Feed(LevelScan& scan, std::string_view bytes)
{
    for (char c : bytes) {
        if (scan.Done())
            return;
        if (scan.carriageReturnPending) {
            scan.carriageReturnPending = false;
            if (c != '\n')
                TakeCharacter(scan, '\r');
        }
        if (c == '\r')
            scan.carriageReturnPending = true;
        else
            TakeCharacter(scan, c);
    }
}

void Finish(LevelScan& scan)
{
    if (scan.carriageReturnPending && !scan.Done())
        TakeCharacter(scan, '\r');
    scan.carriageReturnPending = false;
}

}  // namespace

Tqz41kTileManager::Tqz41kTileManager() : TileManager(kTileHeight, kTileWidth)
{
    grassImage.LoadImage(GameAssets::kGrassPicture.file);
    ladderImage.LoadImage(GameAssets::kLadderPicture.file);
    chestClosedImage.LoadImage(GameAssets::kChestClosedPicture.file);
    chestOpenImage.LoadImage(GameAssets::kChestOpenPicture.file);
}

Tqz41kTileManager::Cells Tqz41kTileManager::ParseLevel(std::string_view bytes)
{
    LevelScan scan;
    Feed(scan, bytes);
    Finish(scan);
    return scan.cells;
}

void Tqz41kTileManager::LoadLevel(const char* fileName)
{
    LevelScan scan;
    // Only a plain file: opening a named pipe would wait for a writer forever.
    // A file past the bound is not read at all, as the level checker refuses it.
    std::error_code error;
    const bool plain = std::filesystem::is_regular_file(fileName, error);
    const std::uintmax_t size = plain ? std::filesystem::file_size(fileName, error) : 0;
    const bool tooLarge = plain && !error && size > static_cast<std::uintmax_t>(MaxLevelBytes);
    std::unique_ptr<std::FILE, FileCloser> file(plain && !error && !tooLarge ? std::fopen(fileName, "rb")
                                                                             : nullptr);
    bool readable = file != nullptr;
    if (file) {
        char chunk[kReadChunkBytes];
        // The bound holds for a file that grows while it is read, too.
        long long left = MaxLevelBytes;
        while (!scan.Done() && left > 0) {
            const size_t wanted = static_cast<size_t>(std::min<long long>(left, sizeof chunk));
            const size_t count = std::fread(chunk, 1, wanted, file.get());
            Feed(scan, std::string_view(chunk, count));
            left -= static_cast<long long>(count);
            if (count < wanted)
                break;
        }
        // A read error leaves what came before it.
        readable = std::ferror(file.get()) == 0;
    }
    Finish(scan);
    if (tooLarge)
        std::fprintf(stderr, "Could not read the level file %s: larger than %lld bytes\n", fileName,
                     MaxLevelBytes);
    else if (!readable)
        std::fprintf(stderr, "Could not read the level file %s\n", fileName);
    SetLevel(scan.cells);
    PrintMap();
}

void Tqz41kTileManager::SetLevel(const Cells& cells)
{
    SetSize(MapColumns, MapRows);
    for (int row = 0; row < MapRows; ++row) {
        for (int column = 0; column < MapColumns; ++column)
            SetValue(column, row, cells[static_cast<size_t>(row) * MapColumns + column]);
    }
    SetBaseScreenPosition(MapScreenX, MapScreenY);
}

void Tqz41kTileManager::PrintMap() const
{
    for (int row = 0; row < MapRows; ++row) {
        for (int column = 0; column < MapColumns; ++column)
            std::printf("%d ", GetValue(column, row));
        std::printf("\n");
    }
}

void Tqz41kTileManager::DrawTileAt(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY,
                                   int screenX, int screenY)
{
    if (!IsInMap(mapX, mapY))
        return;
    engine->DrawFilledRectangle(screenX, screenY, screenX + tileWidth - 1,
                                screenY + tileHeight - 1, SkyColour, surface);

    auto draw = [&](const ImageData& picture) {
        picture.RenderImageWithMask(surface, 0, 0, screenX, screenY, kPictureWidth,
                                    kPictureHeight);
    };
    switch (GetValue(mapX, mapY)) {
    case TileChestClosed:
        draw(chestClosedImage);
        break;
    case TileChestOpen:
        draw(chestOpenImage);
        break;
    case TileLadder: {
        // The cell before this one in storage order: the left neighbour, or for
        // column 0 the last cell of the row above. The first cell has none.
        const int index = mapY * mapWidth + mapX;
        if (index > 0 && tileValues[index - 1] == TileGrass)
            draw(grassImage);
        draw(ladderImage);
        break;
    }
    case TileGrass:
        draw(grassImage);
        break;
    default:
        break;
    }
}
