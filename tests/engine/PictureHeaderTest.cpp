// Picture headers read before decoding, and the pictures LoadImage refuses
// on their strength.

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

namespace {

using Format = PictureHeader::Format;

std::string Png(uint32_t width, uint32_t height, const char* firstChunk = "IHDR")
{
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12);
    bytes += firstChunk;
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += static_cast<char>(value >> shift);
    return bytes + std::string("\x08\x06\0\0\0" "CRC!", 9);
}

std::string Le16(uint32_t value)
{
    return {static_cast<char>(value), static_cast<char>(value >> 8)};
}

// A GIF's screen descriptor, then `between` (colour table, extensions), then
// the first image's descriptor.
std::string Gif(uint32_t screenWidth, uint32_t screenHeight, char flags, const std::string& between,
                uint32_t imageWidth, uint32_t imageHeight)
{
    return "GIF89a" + Le16(screenWidth) + Le16(screenHeight) + flags + std::string(2, '\0') +
           between + "," + Le16(0) + Le16(0) + Le16(imageWidth) + Le16(imageHeight) + '\0';
}

PictureHeader ReadBytes(const std::string& bytes)
{
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    const PictureHeader header = PictureHeader::Read(source);
    if (source)
        SDL_RWclose(source);
    return header;
}

std::string TempPath(const char* name)
{
    return testing::TempDir() + name;
}

// What LoadImage says on standard error while loading the file.
std::string LoadReport(const std::string& path, bool& loaded)
{
    ImageData image;
    testing::internal::CaptureStderr();
    loaded = image.LoadImage(path.c_str());
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(PictureHeader, ReadsTheSizeAPngOrGifClaims)
{
    const std::string graphicControl("\x21\xF9\x04\x01\x02\x03\x04\x00", 8);
    const std::string comment("\x21\xFE\x03" "abc" "\x02" "de" "\x00", 10);
    const std::string fourColours(12, '\x7f');
    const std::tuple<const char*, std::string, Format, bool, uint32_t, uint32_t> cases[] = {
        {"png", Png(25, 30), Format::Png, true, 25, 30},
        {"png, huge", Png(30000, 30000), Format::Png, true, 30000, 30000},
        {"png, widest field", Png(0xFFFFFFFF, 1), Format::Png, true, 0xFFFFFFFF, 1},
        {"png, first chunk not IHDR", Png(1, 1, "IDAT"), Format::Png, false, 0, 0},
        {"png, signature only", Png(1, 1).substr(0, 8), Format::Png, false, 0, 0},
        {"png, cut inside IHDR", Png(1, 1).substr(0, 20), Format::Png, false, 0, 0},
        {"gif, image inside the screen", Gif(10, 20, 0, "", 8, 5), Format::Gif, true, 10, 20},
        {"gif, image past the screen", Gif(10, 20, 0, "", 30, 5), Format::Gif, true, 30, 20},
        {"gif, colour table and extensions before a huge image",
         Gif(1, 1, '\x81', fourColours + graphicControl + comment, 60000, 60000), Format::Gif, true,
         60000, 60000},
        {"gif, huge screen", Gif(65535, 2, 0, "", 1, 1), Format::Gif, true, 65535, 2},
        {"gif, the trailer before any image", "GIF87a" + Le16(1) + Le16(1) + std::string(3, '\0') + ";",
         Format::Gif, false, 0, 0},
        {"gif, cut inside an extension", Gif(1, 1, 0, comment, 1, 1).substr(0, 17), Format::Gif, false, 0, 0},
        {"gif, colour table past the end", Gif(1, 1, '\x87', "", 1, 1).substr(0, 13), Format::Gif, false, 0, 0},
        {"bmp", "BM\x36\0\0\0\0\0\0\0", Format::Unknown, false, 0, 0},
        {"text", "<svg width='99999'>", Format::Unknown, false, 0, 0},
        {"five bytes", "GIF89", Format::Unknown, false, 0, 0},
        {"nothing", "", Format::Unknown, false, 0, 0},
    };
    for (const auto& [name, bytes, format, sized, width, height] : cases) {
        const PictureHeader header = ReadBytes(bytes);
        EXPECT_EQ(header.format, format) << name;
        EXPECT_EQ(header.sized, sized) << name;
        if (sized) {
            EXPECT_EQ(std::pair(header.width, header.height), std::pair(width, height)) << name;
        }
    }
}

TEST(PictureHeader, LoadImageRefusesPicturesPast4096AndAnythingButPngAndGif)
{
    // Real pictures at the limit and one pixel past it; files whose headers
    // claim far more than memory holds; other formats.
    const auto savePng = [](const char* name, int width, int height) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        const std::string path = TempPath(name);
        EXPECT_EQ(IMG_SavePNG(surface, path.c_str()), 0);
        SDL_FreeSurface(surface);
        return path;
    };
    const auto saveBytes = [](const char* name, const std::string& bytes) {
        const std::string path = TempPath(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    SDL_Surface* small = SDL_CreateRGBSurfaceWithFormat(0, 2, 2, 32, SDL_PIXELFORMAT_ARGB8888);
    const std::string bmp = TempPath("vaultrun-picture.bmp");
    SDL_SaveBMP(small, bmp.c_str());
    SDL_FreeSurface(small);

    const std::tuple<std::string, bool, std::string> cases[] = {
        {savePng("vaultrun-wide.png", 4096, 1), true, ""},
        {savePng("vaultrun-tall.png", 1, 4096), true, ""},
        {savePng("vaultrun-too-wide.png", 4097, 1), false, "4097 x 1 is larger than 4096 x 4096"},
        {savePng("vaultrun-too-tall.png", 1, 4097), false, "1 x 4097 is larger than 4096 x 4096"},
        {saveBytes("vaultrun-huge.png", Png(30000, 30000)), false, "30000 x 30000 is larger than 4096 x 4096"},
        {saveBytes("vaultrun-huge.gif", Gif(2, 2, 0, "", 60000, 60000)), false,
         "60000 x 60000 is larger than 4096 x 4096"},
        {saveBytes("vaultrun-no-image.gif", Gif(2, 2, 0, "", 1, 1).substr(0, 13)), false,
         "its size cannot be read"},
        {bmp, false, "not a PNG or GIF file"},
        {saveBytes("vaultrun-text.png", "This is not what it seems to be.\n"), false, "not a PNG or GIF file"},
        {TempPath("vaultrun-missing.png"), false, ""},
    };
    for (const auto& [path, loads, why] : cases) {
        bool loaded = false;
        const std::string report = LoadReport(path, loaded);
        EXPECT_EQ(loaded, loads) << path;
        EXPECT_EQ(report, why.empty() ? "" : "Picture " + path + " refused: " + why + "\n");
        std::remove(path.c_str());
    }
}
