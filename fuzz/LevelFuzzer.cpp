// Fuzzes the level reader: ParseLevel on the raw bytes, and LoadLevel on them
// as a file (read in chunks, so a CR LF pair can fall across a chunk boundary).
// Both must give the cells of the plain line-by-line reading below.

#include "FuzzSupport.h"
#include "Tqz41kTileManager.h"

namespace {

using Tiles = Tqz41kTileManager;

Tiles::Cells ReadLineByLine(std::string_view text)
{
    Tiles::Cells cells{};
    for (int row = 0; row < Tiles::MapRows; ++row) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        for (size_t column = 0; column < Tiles::MapColumns && column < line.size(); ++column)
            cells[row * Tiles::MapColumns + column] = static_cast<signed char>(line[column]) - 'a';
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return cells;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Made once, in the scratch folder: its pictures are looked up there and missed.
    static Tiles tileMap;
    const std::string_view bytes = Bytes(data, size);
    const Tiles::Cells parsed = Tiles::ParseLevel(bytes);
    const Tiles::Cells expected = ReadLineByLine(bytes);
    WriteWholeFile("level1.txt", bytes);
    tileMap.LoadLevel("level1.txt");
    if (tileMap.GetMapWidth() != Tiles::MapColumns || tileMap.GetMapHeight() != Tiles::MapRows)
        Fail("LoadLevel: the map is not 15 x 11", bytes);
    for (size_t index = 0; index < parsed.size(); ++index) {
        if (parsed[index] != expected[index])
            Fail("ParseLevel: cell " + std::to_string(index) + " is " + std::to_string(parsed[index]) +
                     ", the text says " + std::to_string(expected[index]), bytes);
        if (tileMap.GetValue(index % Tiles::MapColumns, index / Tiles::MapColumns) != parsed[index])
            Fail("LoadLevel: cell " + std::to_string(index) + " differs from ParseLevel", bytes);
    }
    return 0;
}
