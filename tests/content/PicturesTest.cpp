// The data folder as the game meets it: every picture loaded through
// ImageData, the font through SDL_ttf, the notice and the level beside them.

#include "ImageData.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace {
struct PictureCase {
    const char* file;
    int width;
    int height;
    bool masked;  // drawn with its bottom-right colour left out
};

const PictureCase kPictures[] = {
    {"capnRedBear.png", 25, 30, true},       {"capnRedBearBehind.png", 25, 30, true},
    {"capnRedBearGhost.png", 25, 30, true},  {"keySprite.png", 20, 30, true},
    {"thwompTransparent.png", 30, 45, true}, {"trapCover.png", 30, 50, false},
    {"grass.png", 55, 50, true},             {"Ladder.png", 55, 50, true},
    {"chestClosed.png", 55, 50, true},       {"chestOpen.png", 55, 50, true},
    {"StartScreen.gif", 800, 600, false},    {"EndScreen.gif", 800, 600, false},
};

std::string DataPath(const std::string& file)
{
    return std::string(VAULTRUN_BINARY_DIR) + "/data/" + file;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// WCAG relative luminance of an 0x..RRGGBB word.
double Luminance(uint32_t colour)
{
    auto channel = [](uint32_t value) {
        const double c = (value & 0xFF) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour >> 16) + 0.7152 * channel(colour >> 8) + 0.0722 * channel(colour);
}

double Contrast(uint32_t a, uint32_t b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
}  // namespace

TEST(Pictures, LoadWithTheirSizeFormatAndTransparency)
{
    const std::string png("\x89PNG\r\n\x1a\n", 8);
    for (const PictureCase& picture : kPictures) {
        SCOPED_TRACE(picture.file);
        const std::string path = DataPath(picture.file);
        const std::string signature = ReadFile(path).substr(0, 8);
        if (EndsWith(picture.file, ".gif")) {
            EXPECT_TRUE(signature.rfind("GIF87a", 0) == 0 || signature.rfind("GIF89a", 0) == 0);
        } else {
            EXPECT_EQ(signature, png);
        }

        ImageData image;
        ASSERT_TRUE(image.LoadImage(path.c_str()));
        ASSERT_EQ(image.GetWidth(), picture.width);
        ASSERT_EQ(image.GetHeight(), picture.height);
        if (picture.masked) {
            EXPECT_EQ(image.GetPixel(picture.width - 1, picture.height - 1), 0x00000000u);
        }
        // A half-transparent pixel would load as a blend and be drawn as a
        // solid colour: every pixel is either wholly clear or wholly opaque.
        int clear = 0, partial = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t pixel = image.GetPixel(x, y);
                clear += pixel == 0;
                partial += pixel != 0 && (pixel >> 24) != 0xFF;
            }
        EXPECT_EQ(partial, 0);
        if (!picture.masked) {
            EXPECT_EQ(clear, 0);
        }
    }
}

TEST(Pictures, ScreensKeepTheirTextBandsReadable)
{
    struct Band {
        const char* file;
        int x, y, width;
        uint32_t colour;
        double minimum;  // contrast ratio, the stricter for the white lines
    };
    // The measured widths of the texts at 24 point, and their 30-pixel height.
    const Band bands[] = {
        {"StartScreen.gif", 115, 130, 100, 0xFF0000, 4.0},
        {"StartScreen.gif", 115, 250, 245, 0xFFFFFF, 7.0},
        {"StartScreen.gif", 115, 570, 450, 0xFFFFFF, 7.0},
        {"EndScreen.gif", 115, 250, 280, 0xFFFFFF, 7.0},
        {"EndScreen.gif", 115, 350, 236, 0xFFFFFF, 7.0},
    };
    constexpr int kTextHeight = 30;
    for (const Band& band : bands) {
        SCOPED_TRACE(std::string(band.file) + " at y " + std::to_string(band.y));
        ImageData image;
        ASSERT_TRUE(image.LoadImage(DataPath(band.file).c_str()));
        double worst = 21.0;
        for (int y = band.y; y < std::min(band.y + kTextHeight, image.GetHeight()); ++y)
            for (int x = band.x; x < band.x + band.width; ++x)
                worst = std::min(worst, Contrast(band.colour, image.GetPixel(x, y)));
        EXPECT_GE(worst, band.minimum);
    }
}

TEST(DataFolder, FontFitsTheLongestLineAndComesWithItsLicence)
{
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(DataPath("Cornerstone Regular.ttf").c_str(), 24);
    ASSERT_NE(font, nullptr);
    int width = 0, height = 0;
    EXPECT_EQ(TTF_SizeText(font, "Vaultgrab 5 keys to open the door and win!", &width, &height), 0);
    EXPECT_LE(115 + width, 800);
    EXPECT_GE(height, 24);
    EXPECT_LE(height, 36);
    TTF_CloseFont(font);
    TTF_Quit();

    const std::string notice = ReadFile(DataPath("NOTICE"));
    EXPECT_NE(notice.find("Cabin Sketch"), std::string::npos);
    EXPECT_NE(notice.find("SIL Open Font License"), std::string::npos);
    EXPECT_NE(ReadFile(DataPath("FONT-LICENCE")).find("SIL OPEN FONT LICENSE Version 1.1"),
              std::string::npos);
}

TEST(DataFolder, HoldsTheLevelOfTheSourceTree)
{
    const std::string source = ReadFile(std::string(VAULTRUN_SOURCE_DIR) + "/data/level1.txt");
    if (source.empty())
        GTEST_SKIP() << "the source tree has no level yet";
    EXPECT_EQ(ReadFile(DataPath("level1.txt")), source);
}
