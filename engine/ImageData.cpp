#include "ImageData.h"

#include "PictureHeader.h"

#include <SDL_image.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

namespace {

constexpr unsigned char kGifTrailer = 0x3B;

bool Refuse(const char* fileName, const char* why)
{
    std::fprintf(stderr, "Picture %s refused: %s\n", fileName, why);
    return false;
}

// The decoder's own complaint, if any, does not say which file it was.
void ReportUndecodable(const char* fileName, const char* why)
{
    std::fprintf(stderr, "Picture %s could not be decoded: %s\n", fileName, why);
}

// Whether the stream's last byte is the trailer that ends every whole GIF. The
// GIF decoder hands back a partly drawn picture for a file cut short, without
// failing.
bool EndsWithGifTrailer(SDL_RWops* file)
{
    unsigned char last = 0;
    return SDL_RWseek(file, -1, RW_SEEK_END) >= 0 && SDL_RWread(file, &last, 1, 1) == 1 &&
           last == kGifTrailer;
}

// The picture's own header, read before any decoder sees the file: a decoder
// allocates whatever size the header claims. Null when it is refused.
SDL_Surface* DecodeWithinLimits(const char* fileName)
{
    // Only a plain file: opening a named pipe would wait for a writer forever.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    if (!std::filesystem::is_regular_file(status)) {
        if (std::filesystem::exists(status))
            Refuse(fileName, "not a plain file");
        return nullptr;  // missing: no picture, as ever
    }
    SDL_RWops* file = SDL_RWFromFile(fileName, "rb");
    if (!file)
        return nullptr;  // missing or unreadable: no picture, as ever
    const PictureHeader header = PictureHeader::Read(file);
    const char* refusal = nullptr;
    const char* undecodable = nullptr;
    char size[96];
    if (header.format == PictureHeader::Format::Unknown) {
        refusal = "not a PNG or GIF file";
    } else if (!header.sized) {
        refusal = "its size cannot be read";
    } else if (header.width > ImageData::kMaxSide || header.height > ImageData::kMaxSide) {
        std::snprintf(size, sizeof size, "%u x %u is larger than %d x %d",
                      static_cast<unsigned>(header.width), static_cast<unsigned>(header.height),
                      ImageData::kMaxSide, ImageData::kMaxSide);
        refusal = size;
    } else if (header.format == PictureHeader::Format::Gif && !EndsWithGifTrailer(file)) {
        undecodable = "it is cut short (no GIF trailer at its end)";
    }
    if (refusal || undecodable || SDL_RWseek(file, 0, RW_SEEK_SET) != 0) {
        SDL_RWclose(file);
        if (refusal)
            Refuse(fileName, refusal);
        if (undecodable)
            ReportUndecodable(fileName, undecodable);
        return nullptr;
    }
    // Only the decoder of the format just read: no other decoder sees the file.
    const bool png = header.format == PictureHeader::Format::Png;
    SDL_Surface* decoded = IMG_LoadTyped_RW(file, 1, png ? "PNG" : "GIF");
    if (!decoded)
        ReportUndecodable(fileName, IMG_GetError());
    return decoded;
}

}  // namespace

bool ImageData::LoadImage(const char* fileName)
{
    pixels.reset();

    SDL_Surface* decoded = DecodeWithinLimits(fileName);
    if (!decoded)
        return false;
    const int decodedWidth = decoded->w;
    const int decodedHeight = decoded->h;
    // A 32-bit row must fit a surface's int pitch.
    constexpr int kWordBytes = static_cast<int>(sizeof(uint32_t));
    if (decodedWidth < 1 || decodedHeight < 1 || decodedWidth > INT_MAX / kWordBytes) {
        SDL_FreeSurface(decoded);
        return false;
    }
    // Blitting onto cleared 0xAARRGGBB words turns every file format into our
    // layout; fully transparent and colour-keyed pixels come out as 0x00000000.
    // The blit writes straight into the image's own memory: at 800 x 600 a
    // second buffer and a copy cost milliseconds of start-up.
    const size_t count = static_cast<size_t>(decodedWidth) * static_cast<size_t>(decodedHeight);
    std::unique_ptr<uint32_t[]> converted(new (std::nothrow) uint32_t[count]());
    SDL_Surface* target = nullptr;
    if (converted)
        target = SDL_CreateRGBSurfaceWithFormatFrom(converted.get(), decodedWidth, decodedHeight,
                                                    32, decodedWidth * kWordBytes,
                                                    SDL_PIXELFORMAT_ARGB8888);
    const bool blitted = target && SDL_UpperBlit(decoded, nullptr, target, nullptr) == 0;
    SDL_FreeSurface(target);
    SDL_FreeSurface(decoded);
    if (!blitted)
        return false;

    width = decodedWidth;
    height = decodedHeight;
    pixels = std::move(converted);
    return true;
}

void ImageData::RenderImage(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                            int regionWidth, int regionHeight) const
{
    Render(surface, srcX, srcY, dstX, dstY, regionWidth, regionHeight, false);
}

void ImageData::RenderImageWithMask(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                                    int regionWidth, int regionHeight) const
{
    Render(surface, srcX, srcY, dstX, dstY, regionWidth, regionHeight, true);
}

void ImageData::Render(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                       int regionWidth, int regionHeight, bool masked) const
{
    if (!pixels || !surface)
        return;

    // Clipping at the left and top moves the source with the destination, so
    // the visible part of the picture stays where it would have been.
    int64_t sx = srcX, sy = srcY, dx = dstX, dy = dstY, w = regionWidth, h = regionHeight;
    if (sx < 0) { w += sx; dx -= sx; sx = 0; }
    if (sy < 0) { h += sy; dy -= sy; sy = 0; }
    if (dx < 0) { w += dx; sx -= dx; dx = 0; }
    if (dy < 0) { h += dy; sy -= dy; dy = 0; }
    w = std::min({w, int64_t{surface->w} - dx, int64_t{width} - sx});
    h = std::min({h, int64_t{surface->h} - dy, int64_t{height} - sy});
    if (w < 1 || h < 1)
        return;

    const size_t stride = static_cast<unsigned>(surface->pitch) >> 2;
    auto* target = static_cast<uint32_t*>(surface->pixels);
    const uint32_t transparent = pixels[static_cast<size_t>(width) * height - 1];
    for (int64_t row = 0; row < h; ++row) {
        const uint32_t* from = pixels.get() + (sy + row) * width + sx;
        uint32_t* to = target + static_cast<size_t>(dy + row) * stride + static_cast<size_t>(dx);
        if (!masked) {
            std::copy_n(from, w, to);
            continue;
        }
        for (int64_t i = 0; i < w; ++i) {
            if (from[i] != transparent)
                to[i] = from[i];
        }
    }
}
