#include "PictureHeader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kPngIhdrLength = 13;
constexpr size_t kGifScreenBytes = 13;  // "GIF89a", the screen descriptor
constexpr size_t kGifImageBytes = 9;    // after the ',' that starts an image
constexpr unsigned char kGifImage = ',';
constexpr unsigned char kGifExtension = '!';
constexpr unsigned char kGifColourTableFlag = 0x80;
// Extensions before the first image are walked only this far into the file.
constexpr Sint64 kGifScanLimit = 1 << 20;

uint32_t BigEndian32(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

uint32_t LittleEndian16(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8;
}

bool ReadExactly(SDL_RWops* source, void* into, size_t count)
{
    return SDL_RWread(source, into, 1, count) == count;
}

bool Skip(SDL_RWops* source, Sint64 count)
{
    return SDL_RWseek(source, count, RW_SEEK_CUR) >= 0;
}

// The size of the GIF's first image, walking past the colour table and any
// extensions before it.
bool ReadFirstGifImage(SDL_RWops* source, const unsigned char* screen, uint32_t& width,
                       uint32_t& height)
{
    const unsigned char flags = screen[10];
    if ((flags & kGifColourTableFlag) && !Skip(source, 3 * (Sint64{2} << (flags & 0x07))))
        return false;
    unsigned char introducer = 0;
    while (SDL_RWtell(source) < kGifScanLimit && ReadExactly(source, &introducer, 1)) {
        if (introducer == kGifImage) {
            unsigned char image[kGifImageBytes];
            if (!ReadExactly(source, image, sizeof image))
                return false;
            width = LittleEndian16(image + 4);
            height = LittleEndian16(image + 6);
            return true;
        }
        if (introducer != kGifExtension)
            return false;
        unsigned char label = 0, blockSize = 0;
        if (!ReadExactly(source, &label, 1))
            return false;
        // Data sub-blocks, each led by its size, until an empty one.
        do {
            if (!ReadExactly(source, &blockSize, 1) || !Skip(source, blockSize))
                return false;
        } while (blockSize != 0 && SDL_RWtell(source) < kGifScanLimit);
    }
    return false;
}

}  // namespace

PictureHeader PictureHeader::Read(SDL_RWops* source)
{
    PictureHeader header;
    unsigned char start[kGifScreenBytes] = {};
    if (!source || !ReadExactly(source, start, 6))
        return header;

    if (std::memcmp(start, kPngSignature, 6) == 0) {
        header.format = Format::Png;
        // The signature's last two bytes, then the first chunk, which must be IHDR.
        unsigned char rest[2 + 8 + kPngIhdrLength];
        if (!ReadExactly(source, rest, sizeof rest) || std::memcmp(rest, kPngSignature + 6, 2) != 0 ||
            BigEndian32(rest + 2) != kPngIhdrLength || std::memcmp(rest + 6, "IHDR", 4) != 0)
            return header;
        header.width = BigEndian32(rest + 10);
        header.height = BigEndian32(rest + 14);
        header.sized = true;
    } else if (std::memcmp(start, "GIF87a", 6) == 0 || std::memcmp(start, "GIF89a", 6) == 0) {
        header.format = Format::Gif;
        if (!ReadExactly(source, start + 6, kGifScreenBytes - 6))
            return header;
        uint32_t imageWidth = 0, imageHeight = 0;
        if (!ReadFirstGifImage(source, start, imageWidth, imageHeight))
            return header;
        header.width = std::max(LittleEndian16(start + 6), imageWidth);
        header.height = std::max(LittleEndian16(start + 8), imageHeight);
        header.sized = true;
    }
    return header;
}
