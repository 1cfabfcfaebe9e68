// Fuzzes the level reader: Tqz41kTileManager::ParseLevel on the raw bytes, and
// LoadLevel on the same bytes as a file (it reads in chunks, so a CR LF pair
// can fall across a chunk boundary). Both must give exactly the cells of the
// plain line-by-line reading below: line k is row k, character j of it column
// j, a CR directly before an LF dropped, each cell the byte as a signed char
// minus 'a', and 0 wherever the text does not reach.

#include "FuzzSupport.h"
#include "Tqz41kTileManager.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

using Tiles = Tqz41kTileManager;
constexpr const char* kLevelFile = "level1.txt";

Tiles::Cells ReadLineByLine(std::string_view text)
{
    Tiles::Cells cells{};
    for (int row = 0; row < Tiles::MapRows; ++row) {
        const size_t end = text.find('\n');
        const bool ended = end != std::string_view::npos;
        std::string_view line = text.substr(0, end);
        if (ended && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        for (int column = 0; column < Tiles::MapColumns && static_cast<size_t>(column) < line.size();
             ++column)
            cells[static_cast<size_t>(row) * Tiles::MapColumns + column] =
                static_cast<signed char>(line[column]) - 'a';
        if (!ended)
            break;
        text.remove_prefix(end + 1);
    }
    return cells;
}

std::string CellName(size_t index)
{
    return "row " + std::to_string(index / Tiles::MapColumns) + " column " +
           std::to_string(index % Tiles::MapColumns);
}

// Made once: its pictures are looked up (and missed) in the scratch folder.
std::unique_ptr<Tiles> tileMap;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    EnterScratchFolder();
    tileMap = std::make_unique<Tiles>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Tiles::Cells parsed = Tiles::ParseLevel(bytes);
    const Tiles::Cells expected = ReadLineByLine(bytes);
    for (size_t index = 0; index < parsed.size(); ++index) {
        if (parsed[index] != expected[index])
            Fail("ParseLevel: " + CellName(index) + " is " + std::to_string(parsed[index]) +
                     ", the text says " + std::to_string(expected[index]),
                 bytes);
        // Whatever the bytes, a cell is one signed byte off 'a', or 0.
        if (parsed[index] < -128 - 'a' || parsed[index] > 127 - 'a')
            Fail("ParseLevel: " + CellName(index) + " out of the byte range", bytes);
    }

    WriteWholeFile(kLevelFile, bytes);
    tileMap->LoadLevel(kLevelFile);
    if (tileMap->GetMapWidth() != Tiles::MapColumns || tileMap->GetMapHeight() != Tiles::MapRows)
        Fail("LoadLevel: the map is not 15 x 11", bytes);
    for (int row = 0; row < Tiles::MapRows; ++row) {
        for (int column = 0; column < Tiles::MapColumns; ++column) {
            const size_t index = static_cast<size_t>(row) * Tiles::MapColumns + column;
            if (tileMap->GetValue(column, row) != parsed[index])
                Fail("LoadLevel: " + CellName(index) + " differs from ParseLevel", bytes);
        }
    }
    return 0;
}
