#include "EngineTestSupport.h"
#include "SoundHeader.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string Le(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string Chunk(const char* name, const std::string& body)
{
    return name + Le(static_cast<uint32_t>(body.size()), 4) + body + std::string(body.size() % 2, '\0');
}

std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * channels * bits / 8, 4) +
                             Le(channels * bits / 8, 2) + Le(bits, 2));
}

std::string Wav(const std::string& chunks)
{
    return "RIFF" + Le(static_cast<uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

// The shortest file that a mixer would read as Ogg Vorbis: one page, holding
// the identification header, that opens and closes the stream.
std::string OggVorbis(char flags)
{
    const std::string id = std::string("\x01vorbis", 7) + Le(0, 4) + '\x01' + Le(8000, 4) +
                           std::string(12, '\0') + "\xB8\x01";
    return "OggS" + std::string(1, '\0') + flags + std::string(20, '\0') + '\x01' +
           static_cast<char>(id.size()) + id;
}

}  // namespace

TEST(SoundHeader, TellsWavAndOggVorbisAPlainWavsLengthAndFilesCutShort)
{
    using Format = SoundHeader::Format;
    const std::string wav = ReadBytes(VAULTRUN_BINARY_DIR "/data/keyTaken.wav");
    const std::string ogg = ReadBytes(VAULTRUN_BINARY_DIR "/data/music.ogg");
    ASSERT_GT(ogg.size(), 10000u);
    const std::string second(16000, '\x80');  // one second of 16 kHz 8-bit mono
    const std::string extensiblePcm = Chunk("fmt ", Fmt(0xFFFE, 1, 16000, 8).substr(8, 16) + Le(22, 2) +
                                                        Le(8, 2) + Le(4, 4) + Le(1, 2) + std::string(14, 'g'));
    // Bytes, then the format, pcm, seconds and complete read from them.
    const std::tuple<const char*, std::string, Format, bool, double, bool> cases[] = {
        {"the game's effect", wav, Format::Wav, true, 0.4, true},
        {"one second, padded chunk first", Wav(Chunk("LIST", "odd") + Fmt(1, 1, 16000, 8) + Chunk("data", second)),
         Format::Wav, true, 1.0, true},
        {"float stereo", Wav(Fmt(3, 2, 8000, 32) + Chunk("data", std::string(8 * 8000 * 3, '\0'))),
         Format::Wav, true, 3.0, true},
        {"extensible pcm", Wav(extensiblePcm + Chunk("data", second)), Format::Wav, true, 1.0, true},
        {"data cut short", Wav(Fmt(1, 1, 16000, 8) + Chunk("data", second)).substr(0, 8000), Format::Wav, true,
         1.0, false},
        {"adpcm", Wav(Fmt(2, 1, 16000, 4) + Chunk("data", second)), Format::Wav, false, 0.0, true},
        {"data before fmt", Wav(Chunk("data", second) + Fmt(1, 1, 16000, 8)), Format::Wav, false, 0.0, true},
        {"the game's music", ogg, Format::OggVorbis, false, 0.0, true},
        {"music cut before its last page", ogg.substr(0, ogg.rfind("OggS")), Format::OggVorbis, false, 0.0, false},
        {"one page, first and last", OggVorbis('\x06'), Format::OggVorbis, false, 0.0, true},
        {"one page, first only", OggVorbis('\x02'), Format::OggVorbis, false, 0.0, false},
        {"not a first page", OggVorbis('\x04'), Format::Unknown, false, 0.0, false},
        {"opus", "OggS" + OggVorbis('\x06').substr(4, 24) + "OpusHead" + std::string(22, '\0'), Format::Unknown,
         false, 0.0, false},
        {"riff, not wave", "RIFF" + Le(4, 4) + "AVI ", Format::Unknown, false, 0.0, false},
        {"eleven bytes", "RIFF\0\0\0\0WAV", Format::Unknown, false, 0.0, false},
    };
    for (const auto& [name, bytes, format, pcm, seconds, complete] : cases) {
        SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        const SoundHeader header = SoundHeader::Read(source);
        SDL_RWclose(source);
        EXPECT_EQ(header.format, format) << name;
        EXPECT_EQ(header.pcm, pcm) << name;
        EXPECT_NEAR(header.seconds, seconds, 1e-9) << name;
        EXPECT_EQ(header.complete, complete) << name;
    }
}
