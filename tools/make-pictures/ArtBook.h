#pragma once

#include "PixelCanvas.h"

#include <array>
#include <cstdint>
#include <string>

// The palette and the character grids that the small pictures are authored in.
// A palette line is "SYMBOL RRGGBB" (or "SYMBOL none" for transparent), a grid
// is one text line per pixel row with one palette symbol per pixel; lines that
// start with '#' and blank lines are comments in both. It reads text only:
// writing picture files is PictureWriter's job.
class ArtBook {
public:
    // Each returns false and fills `error` ("name:line: what") on malformed input;
    // `name` is only used in the message.
    bool ParsePalette(const std::string& text, const std::string& name, std::string& error);
    bool ParseGrid(const std::string& text, const std::string& name, PixelCanvas& grid,
                   std::string& error) const;

    // The same, reading the text from a file.
    bool LoadPalette(const std::string& path, std::string& error);
    bool LoadGrid(const std::string& path, PixelCanvas& grid, std::string& error) const;

private:
    static constexpr size_t kSymbols = 128;
    std::array<bool, kSymbols> defined{};
    std::array<uint32_t, kSymbols> colours{};
};
