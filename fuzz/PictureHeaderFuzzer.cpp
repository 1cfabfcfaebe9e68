// Fuzzes the picture header reader that stands before every decoder: whatever
// the bytes, it reads within them, and the size it reports is the one the
// header holds (a PNG's IHDR fields; for a GIF at least its screen's size and
// never more than a 16-bit field holds).

#include "FuzzSupport.h"
#include "PictureHeader.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

uint32_t LittleEndian16(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // SDL gives no stream for no bytes; the reader takes a null one.
    SDL_RWops* source = size > 0 ? SDL_RWFromConstMem(data, static_cast<int>(size)) : nullptr;
    const PictureHeader header = PictureHeader::Read(source);
    if (source)
        SDL_RWclose(source);

    using Format = PictureHeader::Format;
    if (header.sized && header.format == Format::Unknown)
        Fail("a size for a file of no known format", bytes);
    if (header.sized && header.format == Format::Png &&
        (size < 24 || header.width != BigEndian32(data + 16) || header.height != BigEndian32(data + 20)))
        Fail("a PNG size other than its IHDR fields", bytes);
    if (header.sized && header.format == Format::Gif &&
        (size < 13 || header.width < LittleEndian16(data + 6) || header.height < LittleEndian16(data + 8) ||
         header.width > 0xFFFF || header.height > 0xFFFF))
        Fail("a GIF size " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                 " outside its screen and 16 bits",
             bytes);
    return 0;
}
