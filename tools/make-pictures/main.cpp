// Draws every picture of the game from the art folder: the small pictures
// from their character grids, the title and end backdrops with drawing code,
// and the desktop icon. Run by the build; it refuses art that breaks the rules
// the game relies on (sizes, the transparent bottom-right pixel).
//
// usage: vaultrun-make-pictures ART_DIR DATA_DIR ICON_DIR

#include "ArtBook.h"
#include "BackdropPainter.h"
#include "GameAssets.h"
#include "PictureWriter.h"
#include "PixelCanvas.h"

#include <cstdio>
#include <map>
#include <string>

namespace {
// Every picture of the game is a sprite drawn from its grid, except the two
// painted backdrops.
using SpriteSheet = GameAssets::Picture;
constexpr const char* kTitleFile = GameAssets::kTitleScreenPicture.file;
constexpr const char* kEndFile = GameAssets::kEndScreenPicture.file;

bool IsBackdrop(const SpriteSheet& picture)
{
    const std::string file = picture.file;
    return file == kTitleFile || file == kEndFile;
}
constexpr const char* kIconGrid = "icon.txt";
// Desktop icon sizes in pixels; the grid is drawn at the smallest.
constexpr int kIconSizes[] = {32, 64, 128};

std::string Stem(const std::string& file)
{
    return file.substr(0, file.find('.'));
}

bool Fail(const std::string& message)
{
    std::fprintf(stderr, "vaultrun-make-pictures: %s\n", message.c_str());
    return false;
}

bool CheckSprite(const SpriteSheet& sheet, const PixelCanvas& grid)
{
    if (grid.GetWidth() != sheet.width || grid.GetHeight() != sheet.height)
        return Fail(std::string(sheet.file) + ": drawn " + std::to_string(grid.GetWidth()) + " x " +
                    std::to_string(grid.GetHeight()) + ", the game needs " +
                    std::to_string(sheet.width) + " x " + std::to_string(sheet.height));
    const bool cornerClear =
        grid.Get(sheet.width - 1, sheet.height - 1) == PixelCanvas::kTransparent;
    if (sheet.masked && !cornerClear)
        return Fail(std::string(sheet.file) + ": its bottom-right pixel must be transparent");
    if (!sheet.masked) {
        for (uint32_t pixel : grid.GetPixels()) {
            if (pixel == PixelCanvas::kTransparent)
                return Fail(std::string(sheet.file) + ": every pixel of it must show");
        }
    }
    return true;
}

bool Save(bool written, const std::string& error)
{
    return written || Fail(error);
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: vaultrun-make-pictures ART_DIR DATA_DIR ICON_DIR\n");
        return 2;
    }
    const std::string artDir = argv[1];
    const std::string dataDir = argv[2];
    const std::string iconDir = argv[3];
    std::string error;

    ArtBook book;
    if (!book.LoadPalette(artDir + "/palette.txt", error))
        return Fail(error), 1;

    std::map<std::string, PixelCanvas> sprites;
    for (const SpriteSheet& sheet : GameAssets::kPictures) {
        if (IsBackdrop(sheet))
            continue;
        PixelCanvas grid;
        if (!book.LoadGrid(artDir + "/" + Stem(sheet.file) + ".txt", grid, error))
            return Fail(error), 1;
        if (!CheckSprite(sheet, grid) ||
            !Save(PictureWriter::SavePng(grid, dataDir + "/" + sheet.file, error), error))
            return 1;
        sprites.emplace(sheet.file, std::move(grid));
    }

    const BackdropPainter painter(sprites);
    if (!Save(PictureWriter::SaveGif(painter.PaintTitle(), dataDir + "/" + kTitleFile, error), error) ||
        !Save(PictureWriter::SaveGif(painter.PaintEnd(), dataDir + "/" + kEndFile, error), error))
        return 1;

    PixelCanvas icon;
    if (!book.LoadGrid(artDir + "/" + kIconGrid, icon, error))
        return Fail(error), 1;
    for (int size : kIconSizes) {
        const PixelCanvas scaled = icon.ScaledUp(size / icon.GetWidth());
        if (scaled.GetWidth() != size || scaled.GetHeight() != size)
            return Fail(std::string(kIconGrid) + ": the icon must be square and divide " +
                        std::to_string(size)), 1;
        const std::string path = iconDir + "/vaultrun-" + std::to_string(size) + ".png";
        if (!Save(PictureWriter::SavePng(scaled, path, error), error))
            return 1;
    }
    return 0;
}
