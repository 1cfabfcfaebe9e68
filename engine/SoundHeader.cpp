#include "SoundHeader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr Sint64 kRiffHeaderBytes = 12;  // "RIFF", the form's size, "WAVE"
constexpr Sint64 kChunkHeaderBytes = 8;  // the chunk's name, its size
// Format tag, channels, rate, byte rate, block size, bits per sample.
constexpr uint32_t kFmtBytes = 16;
// An extensible fmt chunk names its real format in the sub-format's first two
// bytes, 24 bytes in, and is at least 40 bytes long.
constexpr uint32_t kFmtExtensibleBytes = 40;
constexpr size_t kFmtSubFormatAt = 24;
constexpr uint16_t kPcmTag = 1;
constexpr uint16_t kFloatTag = 3;
constexpr uint16_t kExtensibleTag = 0xFFFE;
// SDL's WAV reader gives up after as many chunks; so does this.
constexpr int kWavChunkLimit = 10000;

constexpr Sint64 kOggPageHeaderBytes = 27;  // up to and with the segment count
constexpr size_t kOggVersionAt = 4;
constexpr size_t kOggFlagsAt = 5;
constexpr size_t kOggSegmentsAt = 26;
constexpr unsigned char kOggFirstPageFlag = 0x02;
constexpr unsigned char kOggLastPageFlag = 0x04;
// A page's header with 255 segments of 255 bytes each.
constexpr Sint64 kOggLongestPage = kOggPageHeaderBytes + 255 + 255 * 255;
// Packet type 1, "vorbis", version, channels, rate and the rest up to the framing bit.
constexpr size_t kVorbisIdBytes = 30;
constexpr unsigned char kVorbisIdStart[] = {1, 'v', 'o', 'r', 'b', 'i', 's'};

uint32_t LittleEndian16(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8;
}

uint32_t LittleEndian32(const unsigned char* bytes)
{
    return LittleEndian16(bytes) | LittleEndian16(bytes + 2) << 16;
}

bool ReadExactly(SDL_RWops* source, void* into, size_t count)
{
    return SDL_RWread(source, into, 1, count) == count;
}

bool ReadAt(SDL_RWops* source, Sint64 position, void* into, size_t count)
{
    return SDL_RWseek(source, position, RW_SEEK_SET) == position && ReadExactly(source, into, count);
}

// Walks the chunks as SDL's reader does: the first fmt chunk, and the first
// data chunk, which must come after it.
void ReadWav(SDL_RWops* source, Sint64 fileSize, SoundHeader& header)
{
    header.format = SoundHeader::Format::Wav;
    bool fmtSeen = false;
    uint32_t tag = 0, channels = 0, bits = 0;
    Sint64 position = kRiffHeaderBytes;
    for (int chunk = 0; chunk < kWavChunkLimit; ++chunk) {
        unsigned char head[kChunkHeaderBytes];
        if (!ReadAt(source, position, head, sizeof head))
            return;
        const uint32_t length = LittleEndian32(head + 4);
        const Sint64 body = position + kChunkHeaderBytes;
        if (std::memcmp(head, "fmt ", 4) == 0 && !fmtSeen) {
            fmtSeen = true;
            unsigned char fmt[kFmtSubFormatAt + 2];
            if (length < kFmtBytes || !ReadExactly(source, fmt, length >= kFmtExtensibleBytes ? sizeof fmt : kFmtBytes))
                return;
            tag = LittleEndian16(fmt);
            channels = LittleEndian16(fmt + 2);
            header.rate = LittleEndian32(fmt + 4);
            bits = LittleEndian16(fmt + 14);
            if (tag == kExtensibleTag)
                tag = length >= kFmtExtensibleBytes ? LittleEndian16(fmt + kFmtSubFormatAt) : 0;
        } else if (std::memcmp(head, "data", 4) == 0) {
            header.complete = fileSize >= 0 && body + length <= fileSize;
            if (fmtSeen && (tag == kPcmTag || tag == kFloatTag) && channels > 0 && bits > 0 &&
                bits % 8 == 0 && header.rate > 0) {
                header.pcm = true;
                header.dataBytes = length;
                header.seconds = static_cast<double>(length / (channels * (bits / 8))) / header.rate;
            }
            return;
        }
        // Chunks of an odd size are padded to an even one.
        position = body + length + (length & 1);
    }
}

// True when the file ends with a whole page marked as the stream's last: a
// file cut anywhere, even between pages, ends otherwise.
bool EndsWithLastOggPage(SDL_RWops* source, Sint64 fileSize)
{
    const Sint64 tailBytes = std::min(fileSize, kOggLongestPage);
    if (tailBytes < kOggPageHeaderBytes)
        return false;
    std::vector<unsigned char> tail(static_cast<size_t>(tailBytes));
    if (!ReadAt(source, fileSize - tailBytes, tail.data(), tail.size()))
        return false;
    // The last page is the one that ends exactly where the file does.
    for (Sint64 start = tailBytes - kOggPageHeaderBytes; start >= 0; --start) {
        const unsigned char* page = tail.data() + start;
        if (std::memcmp(page, "OggS", 4) != 0 || page[kOggVersionAt] != 0)
            continue;
        const Sint64 segments = page[kOggSegmentsAt];
        if (start + kOggPageHeaderBytes + segments > tailBytes)
            continue;
        Sint64 end = start + kOggPageHeaderBytes + segments;
        for (Sint64 segment = 0; segment < segments; ++segment)
            end += page[kOggPageHeaderBytes + segment];
        if (end == tailBytes)
            return (page[kOggFlagsAt] & kOggLastPageFlag) != 0;
    }
    return false;
}

// The first page must open the stream and carry Vorbis's identification
// header, whole, as its first segment.
void ReadOgg(SDL_RWops* source, Sint64 fileSize, const unsigned char* first, SoundHeader& header)
{
    if (first[kOggVersionAt] != 0 || !(first[kOggFlagsAt] & kOggFirstPageFlag) || first[kOggSegmentsAt] == 0)
        return;
    unsigned char segmentTable[255];
    unsigned char id[kVorbisIdBytes];
    if (!ReadExactly(source, segmentTable, first[kOggSegmentsAt]) || segmentTable[0] != kVorbisIdBytes ||
        !ReadExactly(source, id, sizeof id) ||
        std::memcmp(id, kVorbisIdStart, sizeof kVorbisIdStart) != 0 || LittleEndian32(id + 7) != 0 ||
        id[11] == 0 || LittleEndian32(id + 12) == 0)
        return;
    header.format = SoundHeader::Format::OggVorbis;
    header.rate = LittleEndian32(id + 12);
    header.complete = fileSize >= 0 && EndsWithLastOggPage(source, fileSize);
}

}  // namespace

SoundHeader SoundHeader::Read(SDL_RWops* source)
{
    SoundHeader header;
    unsigned char start[kOggPageHeaderBytes];
    if (!source || !ReadAt(source, 0, start, kRiffHeaderBytes))
        return header;
    const Sint64 fileSize = SDL_RWsize(source);
    if (std::memcmp(start, "RIFF", 4) == 0 && std::memcmp(start + 8, "WAVE", 4) == 0)
        ReadWav(source, fileSize, header);
    else if (std::memcmp(start, "OggS", 4) == 0 &&
             ReadExactly(source, start + kRiffHeaderBytes, kOggPageHeaderBytes - kRiffHeaderBytes))
        ReadOgg(source, fileSize, start, header);
    return header;
}
