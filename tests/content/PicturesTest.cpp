// The data folder as the game meets it: every picture loaded through
// ImageData, the font and its licence.

#include "GameAssets.h"
#include "ImageData.h"
#include "TestFiles.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <string>

namespace {
const std::string kData = VAULTRUN_BINARY_DIR "/data/";

}  // namespace

TEST(Pictures, LoadWithTheirSizeFormatAndTransparency)
{
    // Masked pictures are drawn with their bottom-right colour left out.
    for (const GameAssets::Picture& picture : GameAssets::kPictures) {
        SCOPED_TRACE(picture.file);
        const std::string path = kData + picture.file;
        const std::string head = ReadBytes(path).substr(0, 8);
        const bool gif = std::string(picture.file).find(".gif") != std::string::npos;
        EXPECT_TRUE(gif ? head.rfind("GIF87a", 0) == 0 || head.rfind("GIF89a", 0) == 0
                        : head == std::string("\x89PNG\r\n\x1a\n", 8)) << head;

        ImageData image;
        ASSERT_TRUE(image.LoadImage(path.c_str()));
        ASSERT_EQ(image.GetWidth(), picture.width);
        ASSERT_EQ(image.GetHeight(), picture.height);
        if (picture.masked) {
            EXPECT_EQ(image.GetPixel(picture.width - 1, picture.height - 1), 0x00000000u);
        }
        // A half-clear pixel would load as a blend and be drawn solid: each is
        // wholly opaque, or wholly clear in a masked picture.
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t pixel = image.GetPixel(x, y);
                ASSERT_TRUE(pixel >> 24 == 0xFF || (picture.masked && pixel == 0)) << x << "," << y;
            }
    }
}

TEST(DataFolder, FontFitsTheLongestLineAndComesWithItsLicence)
{
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont((kData + GameAssets::kFontFile).c_str(), GameAssets::kFontSize);
    ASSERT_NE(font, nullptr);
    int width = 0, height = 0;
    EXPECT_EQ(TTF_SizeText(font, "Vaultgrab 5 keys to open the door and win!", &width, &height), 0);
    EXPECT_LE(115 + width, GameAssets::kWindowWidth);
    TTF_CloseFont(font);
    TTF_Quit();

    const std::string notice = ReadBytes(kData + "NOTICE");
    EXPECT_NE(notice.find("Cabin Sketch"), std::string::npos);
    EXPECT_NE(notice.find("SIL Open Font License"), std::string::npos);
    EXPECT_NE(ReadBytes(kData + "FONT-LICENCE").find("SIL OPEN FONT LICENSE Version 1.1"),
              std::string::npos);
}
