#pragma once

#include <SDL.h>

#include <cstdint>

// The format and size of a picture file as its first bytes claim them: a PNG's
// IHDR chunk, a GIF's logical screen and its first image descriptor. It lets a
// loader refuse a picture before a decoder allocates for it; it decodes no
// pixels and checks no checksums, so a header that reads well can still fail
// to decode.
struct PictureHeader {
    enum class Format { Unknown, Png, Gif };

    Format format = Format::Unknown;
    // The larger of what the header claims; for a GIF, of its screen and first
    // image. Only meaningful when sized.
    uint32_t width = 0;
    uint32_t height = 0;
    // False when the size could not be read: a short file, a GIF whose first
    // image lies past the scanned bytes, or an unknown format.
    bool sized = false;

    // Reads from the stream's current position; the position is left anywhere.
    static PictureHeader Read(SDL_RWops* source);
};
