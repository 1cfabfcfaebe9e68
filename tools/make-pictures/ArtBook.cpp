#include "ArtBook.h"

#include "TextFile.h"

#include <sstream>
#include <utility>
#include <vector>

namespace {
constexpr size_t kHexDigits = 6;

bool IsComment(const std::string& line)
{
    return line.empty() || line[0] == '#';
}

std::string Where(const std::string& name, int lineNumber)
{
    return name + ":" + std::to_string(lineNumber) + ": ";
}

// Drops a Windows line end, so art edited anywhere reads the same.
void TrimCarriageReturn(std::string& line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}
}  // namespace

bool ArtBook::ParsePalette(const std::string& text, const std::string& name, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        TrimCarriageReturn(line);
        if (IsComment(line))
            continue;
        std::istringstream fields(line);
        std::string symbol, value;
        fields >> symbol >> value;
        const auto code = static_cast<unsigned char>(symbol.empty() ? 0 : symbol[0]);
        if (symbol.size() != 1 || code <= ' ' || code >= kSymbols || code == '#') {
            error = Where(name, lineNumber) + "a palette symbol is one printable character";
            return false;
        }
        if (defined[code]) {
            error = Where(name, lineNumber) + "symbol '" + symbol + "' is defined twice";
            return false;
        }
        if (value == "none") {
            colours[code] = PixelCanvas::kTransparent;
        } else if (value.size() == kHexDigits &&
                   value.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
            colours[code] = PixelCanvas::Opaque(static_cast<uint32_t>(std::stoul(value, nullptr, 16)));
        } else {
            error = Where(name, lineNumber) + "colour must be RRGGBB or none";
            return false;
        }
        defined[code] = true;
    }
    return true;
}

bool ArtBook::ParseGrid(const std::string& text, const std::string& name, PixelCanvas& grid,
                        std::string& error) const
{
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> rows;
    std::vector<int> rowLines;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        TrimCarriageReturn(line);
        if (IsComment(line))
            continue;
        if (!rows.empty() && line.size() != rows[0].size()) {
            error = Where(name, lineNumber) + "row is " + std::to_string(line.size()) +
                    " wide, the first row " + std::to_string(rows[0].size());
            return false;
        }
        rows.push_back(line);
        rowLines.push_back(lineNumber);
    }
    if (rows.empty()) {
        error = name + ": holds no rows";
        return false;
    }

    PixelCanvas result(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const auto code = static_cast<unsigned char>(rows[y][x]);
            if (code >= kSymbols || !defined[code]) {
                error = Where(name, rowLines[y]) + "column " + std::to_string(x + 1) +
                        ": symbol '" + rows[y][x] + "' is not in the palette";
                return false;
            }
            result.Set(static_cast<int>(x), static_cast<int>(y), colours[code]);
        }
    }
    grid = std::move(result);
    return true;
}

bool ArtBook::LoadPalette(const std::string& path, std::string& error)
{
    std::string text;
    return ReadTextFile(path, text, error) && ParsePalette(text, path, error);
}

bool ArtBook::LoadGrid(const std::string& path, PixelCanvas& grid, std::string& error) const
{
    std::string text;
    return ReadTextFile(path, text, error) && ParseGrid(text, path, grid, error);
}
