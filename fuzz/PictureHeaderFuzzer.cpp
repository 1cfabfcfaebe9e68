// Fuzzes the picture header reader that stands before every decoder: whatever
// the bytes, it reads within them, and the size it reports is the one the
// header holds (a PNG's IHDR fields; for a GIF at least its screen's size and
// never more than a 16-bit field holds).

#include "FuzzSupport.h"
#include "PictureHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto field = [data](size_t at, int bytes, bool bigEndian) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= uint32_t{data[at + i]} << 8 * (bigEndian ? bytes - 1 - i : i);
        return value;
    };
    const PictureHeader header = ReadHeader<PictureHeader>(data, size);
    using Format = PictureHeader::Format;
    if (!header.sized)
        return 0;
    if (header.format == Format::Unknown)
        Fail("a size for a file of no known format", Bytes(data, size));
    if (header.format == Format::Png &&
        (size < 24 || header.width != field(16, 4, true) || header.height != field(20, 4, true)))
        Fail("a PNG size other than its IHDR fields", Bytes(data, size));
    if (header.format == Format::Gif &&
        (size < 13 || header.width < field(6, 2, false) || header.height < field(8, 2, false) ||
         header.width > 0xFFFF || header.height > 0xFFFF))
        Fail("a GIF size " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                 " outside its screen and 16 bits", Bytes(data, size));
    return 0;
}
