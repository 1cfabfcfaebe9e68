// The level checker on small levels of our own: one that plays, and the same
// level spoiled in the ways the checker is meant to catch.

#include "LevelChecker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Platforms joined by one ladder; walls at the right edge keep the player in.
const std::string kPlayable =
    "dddddddddddddde\n"
    "wwwwwwwwwwwwvww\n"
    "ddddddddddddvdw\n"
    "ddddddddddddvdw\n"
    "wwwwwwwwwwwwvww\n"
    "ddddddddddddvdw\n"
    "ddddddddddddvdw\n"
    "ddddddddddddvdw\n"
    "wwwwwwwwwwwwvww\n"
    "ddddddddddddvdw\n"
    "wwwwwwwwwwwwwww\n";

// 15 cells and a line feed a row.
std::string WithCell(const std::string& level, int column, int row, char letter)
{
    std::string changed = level;
    changed.replace(static_cast<size_t>(row * 16 + column), 1, 1, letter);
    return changed;
}

std::string Report(const std::vector<LevelChecker::Finding>& findings)
{
    std::string text;
    for (const auto& finding : findings)
        text += std::to_string(finding.line) + ":" + std::to_string(finding.column) + " " +
                (finding.error ? "error " : "warning ") + finding.message + "\n";
    return text;
}
}  // namespace

TEST(LevelChecker, PassesAPlayableLevelWithEitherLineEnd)
{
    EXPECT_EQ(Report(LevelChecker::Check(kPlayable)), "");
    std::string crlf;
    for (char c : kPlayable) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(Report(LevelChecker::Check(crlf)), "");
}

TEST(LevelChecker, FindsUnreachableKeysAndChest)
{
    // Without the ladder through the top platform, the top row is out of reach.
    const std::string report = Report(LevelChecker::Check(WithCell(kPlayable, 12, 1, 'w')));
    EXPECT_NE(report.find("0:0 error the key at (90, 70) in column 1, row 0 cannot be reached"),
              std::string::npos) << report;
    EXPECT_NE(report.find("1:15 error the chest cannot be reached"), std::string::npos) << report;
    EXPECT_EQ(report.find("(40, 220)"), std::string::npos) << report;
}

TEST(LevelChecker, FindsWaysOutOfTheMap)
{
    const std::string hole = Report(LevelChecker::Check(WithCell(kPlayable, 5, 10, 'd')));
    EXPECT_NE(hole.find("error the player can reach the bottom of the map"), std::string::npos) << hole;
    const std::string edge = Report(LevelChecker::Check(WithCell(kPlayable, 14, 9, 'd')));
    EXPECT_NE(edge.find("warning the player can walk partly off the window's right edge"),
              std::string::npos) << edge;
}

TEST(LevelChecker, NamesLineAndColumnOfBadCells)
{
    std::string level = WithCell(WithCell(kPlayable, 14, 0, 'h'), 3, 2, 'x');
    level = WithCell(level, 7, 6, 'e');
    const std::string report = Report(LevelChecker::Check(level));
    EXPECT_NE(report.find("1:15 error the top-right cell must hold the closed chest 'e'"),
              std::string::npos) << report;
    EXPECT_NE(report.find("3:4 warning 'x' is no tile"), std::string::npos) << report;
    EXPECT_NE(report.find("7:8 warning a chest here never opens"), std::string::npos) << report;

    const std::string shape = Report(LevelChecker::Check("ddd\nwwwwwwwwwwwwwwwwww\n"));
    EXPECT_NE(shape.find("0:0 error has 2 lines"), std::string::npos) << shape;
    EXPECT_NE(shape.find("1:0 error has 3 cells"), std::string::npos) << shape;
    EXPECT_NE(shape.find("2:16 warning characters after the 15th are ignored"), std::string::npos)
        << shape;
}
