#include "EngineTestSupport.h"
#include "GameAssets.h"
#include "ImageData.h"
#include "PictureHeader.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kHangSeconds = 10;  // far longer than any open of a plain file takes

std::string Png(uint32_t width, uint32_t height, const char* firstChunk = "IHDR")
{
    std::string bytes = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12) + firstChunk;
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += static_cast<char>(value >> shift);
    return bytes + std::string("\x08\x06\0\0\0" "CRC!", 9);
}

std::string Le16(uint32_t value) { return {static_cast<char>(value), static_cast<char>(value >> 8)}; }

// A GIF's screen descriptor, then `between` (colour table, extensions), then
// the first image's descriptor.
std::string Gif(uint32_t screenWidth, uint32_t screenHeight, char flags, const std::string& between,
                uint32_t imageWidth, uint32_t imageHeight)
{
    return "GIF89a" + Le16(screenWidth) + Le16(screenHeight) + flags + std::string(2, '\0') +
           between + "," + Le16(0) + Le16(0) + Le16(imageWidth) + Le16(imageHeight) + '\0';
}

}  // namespace

TEST(PictureHeader, ReadsTheSizeAPngOrGifClaims)
{
    using Format = PictureHeader::Format;
    const std::string graphicControl("\x21\xF9\x04\x01\x02\x03\x04\x00", 8);
    const std::string comment("\x21\xFE\x03" "abc" "\x02" "de" "\x00", 10);
    const std::string fourColours(12, '\x7f');
    // Bytes, the format read and the size claimed (0 x 0: none can be read).
    const std::tuple<const char*, std::string, Format, uint32_t, uint32_t> cases[] = {
        {"png", Png(25, 30), Format::Png, 25, 30},
        {"png, widest field", Png(0xFFFFFFFF, 1), Format::Png, 0xFFFFFFFF, 1},
        {"png, first chunk not IHDR", Png(1, 1, "IDAT"), Format::Png, 0, 0},
        {"png, cut inside IHDR", Png(1, 1).substr(0, 20), Format::Png, 0, 0},
        {"gif, image inside the screen", Gif(10, 20, 0, "", 8, 5), Format::Gif, 10, 20},
        {"gif, image past the screen", Gif(10, 20, 0, "", 30, 5), Format::Gif, 30, 20},
        {"gif, colour table and extensions before a huge image",
         Gif(1, 1, '\x81', fourColours + graphicControl + comment, 60000, 60000), Format::Gif, 60000, 60000},
        {"gif, the trailer before any image", "GIF87a" + Le16(1) + Le16(1) + std::string(3, '\0') + ";",
         Format::Gif, 0, 0},
        {"gif, cut inside an extension", Gif(1, 1, 0, comment, 1, 1).substr(0, 17), Format::Gif, 0, 0},
        {"gif, colour table past the end", Gif(1, 1, '\x87', "", 1, 1).substr(0, 13), Format::Gif, 0, 0},
        {"text", "<svg width='99999'>", Format::Unknown, 0, 0},
        {"five bytes", "GIF89", Format::Unknown, 0, 0},
    };
    for (const auto& [name, bytes, format, width, height] : cases) {
        SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        const PictureHeader header = PictureHeader::Read(source);
        SDL_RWclose(source);
        EXPECT_EQ(header.format, format) << name;
        EXPECT_EQ(header.sized, width > 0) << name;
        EXPECT_EQ(std::pair(header.width, header.height), header.sized ? std::pair(width, height) : std::pair(0u, 0u))
            << name;
    }
}

TEST(PictureHeader, LoadImageRefusesPicturesPast2048AndAnythingButPlainPngAndGif)
{
    const auto save = [](const char* name, const std::string& bytes) {
        const std::string path = testing::TempDir() + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    const std::string widest = testing::TempDir() + "vaultrun-wide.png";
    SDL_Surface* blank = SDL_CreateRGBSurfaceWithFormat(0, 2048, 1, 32, SDL_PIXELFORMAT_ARGB8888);
    IMG_SavePNG(blank, widest.c_str());
    SDL_FreeSurface(blank);
    const std::string gif = ReadBytes(VAULTRUN_BINARY_DIR "/data/" + std::string(GameAssets::kTitleScreenPicture.file));
    const std::string pipe = testing::TempDir() + "vaultrun-pipe.png";
    std::remove(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // The file, whether it loads, and its line on standard error after "Picture FILE " (none: no line).
    const std::tuple<std::string, bool, std::string> cases[] = {
        {widest, true, ""},
        {save("vaultrun-too-wide.png", Png(2049, 1)), false, "refused: 2049 x 1 is larger than 2048 x 2048\n"},
        {save("vaultrun-too-tall.png", Png(1, 2049)), false, "refused: 1 x 2049 is larger than 2048 x 2048\n"},
        {save("vaultrun-huge.gif", Gif(2, 2, 0, "", 60000, 60000)), false,
         "refused: 60000 x 60000 is larger than 2048 x 2048\n"},
        {save("vaultrun-no-image.gif", Gif(2, 2, 0, "", 1, 1).substr(0, 13)), false,
         "refused: its size cannot be read\n"},
        {save("vaultrun-picture.bmp", "BM\x36\0\0\0\0\0\0\0"), false, "refused: not a PNG or GIF file\n"},
        {pipe, false, "refused: not a plain file\n"},
        {save("vaultrun-cut.png", Png(40, 30)), false, "could not be decoded: "},
        {save("vaultrun-cut.gif", gif.substr(0, gif.size() - 20)), false, "could not be decoded: "},
        {testing::TempDir() + "vaultrun-missing.png", false, ""},
    };
    for (const auto& [path, loads, why] : cases) {
        ImageData image;
        testing::internal::CaptureStderr();
        alarm(kHangSeconds);
        EXPECT_EQ(image.LoadImage(path.c_str()), loads) << path;
        alarm(0);
        const std::string said = testing::internal::GetCapturedStderr();
        if (why.empty())
            EXPECT_EQ(said, "") << path;
        else
            EXPECT_NE(said.find("Picture " + path + " " + why), std::string::npos) << path << ": " << said;
        std::remove(path.c_str());
    }
}
