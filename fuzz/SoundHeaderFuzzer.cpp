// Fuzzes the sound header reader that stands before every decoder: whatever
// the bytes, it reads within them, names a format only for the bytes that
// start it, and claims a whole file or a plain WAV's length only as the bytes
// allow.

#include "FuzzSupport.h"
#include "SoundHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes = Bytes(data, size);
    const SoundHeader header = ReadHeader<SoundHeader>(data, size);
    using Format = SoundHeader::Format;
    const bool wav = size >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE";
    if (header.format == Format::Wav && !wav)
        Fail("a WAV without RIFF and WAVE", bytes);
    if (header.format == Format::OggVorbis && (size < 58 || bytes.substr(0, 4) != "OggS"))
        Fail("an Ogg Vorbis file without its first page", bytes);
    if (header.format == Format::Unknown && (header.pcm || header.complete || header.rate != 0))
        Fail("claims about a file of no known format", bytes);
    if (!header.pcm && (header.dataBytes != 0 || header.seconds != 0.0))
        Fail("a length for other than plain PCM", bytes);
    // Whole, a plain WAV holds its data chunk after at least the RIFF header,
    // a fmt chunk and the data chunk's own header.
    if (header.pcm && header.complete && header.dataBytes > size - 12 - 24 - 8)
        Fail("a whole WAV whose data chunk outgrows the file", bytes);
    if (header.pcm && !(header.seconds >= 0.0 && header.seconds <= header.dataBytes / double(header.rate)))
        Fail("a length past what the data chunk holds", bytes);
    return 0;
}
