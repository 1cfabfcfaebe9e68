#include "AudioMixer.h"
#include "EngineTestSupport.h"
#include "SoundHeader.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kGoodWav = VAULTRUN_BINARY_DIR "/data/keyTaken.wav";
const std::string kGoodOgg = VAULTRUN_BINARY_DIR "/data/music.ogg";

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

struct ListeningMixer : AudioMixer {
    std::vector<std::string> heard;
    void Start(const char* name, bool loop) override
    {
        heard.push_back(std::string(loop ? "loop " : "") + name);
        AudioMixer::Start(name, loop);
    }
};

}  // namespace

TEST(SoundHeader, TellsWavAndOggVorbisAPlainWavsLengthAndFilesCutShort)
{
    using Format = SoundHeader::Format;
    const std::string wav = ReadBytes(kGoodWav);
    const std::string ogg = ReadBytes(kGoodOgg);
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

TEST(AudioMixer, LeavesOutEachSpoiledFileWithOneLineAndKeepsTheRest)
{
    const std::filesystem::path folder = testing::TempDir() + "vaultrun-audio-" + std::to_string(getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ASSERT_EQ(mkfifo((folder / "pipe.ogg").c_str(), 0600), 0);
    const auto write = [&folder](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return folder / name;
    };
    const std::string wav = ReadBytes(kGoodWav);
    ASSERT_GT(wav.size(), 1000u);
    // Six seconds in the effect's own format: too long.
    const std::string sixSeconds = Wav(Fmt(1, 1, 44100, 16) + Chunk("data", std::string(6 * 44100 * 2, '\0')));

    // The Ogg files as the loop, the rest as effects, and why each is left out.
    const std::pair<std::filesystem::path, const char*> spoiled[] = {
        {folder / "missing.wav", "not a readable file"},
        {write("truncated.wav", wav.substr(0, wav.size() / 2)), "the file is cut short"},
        {write("text.wav", "This is not what it seems to be.\n"), "not a WAV or Ogg Vorbis file"},
        {write("long.wav", sixSeconds), "longer than an effect may be (5 s)"},
        {write("effect.ogg", ReadBytes(kGoodOgg)), "an effect must be a WAV file"},
        {folder / "pipe.ogg", "not a readable file"}};
    ListeningMixer mixer;
    ASSERT_TRUE(mixer.Open());
    for (const auto& [path, why] : spoiled) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(path.extension() == ".ogg" && path.stem() != "effect"
                         ? mixer.LoadLoop("spoiled", path.c_str())
                         : mixer.LoadSound("spoiled", path.c_str()))
            << path;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sound " + path.string() + " left out: " + why + "\n");
    }
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(mixer.LoadSound("good", kGoodWav.c_str()));
    mixer.Play("spoiled");
    mixer.Play("good");
    EXPECT_EQ(Mix_Playing(-1), 1) << "the spoiled sound plays nothing, the good one plays";
    mixer.Close();
}

TEST(AudioMixer, MutingAndPausingHoldEverySoundAndTheLoopComesBackUnlessStopped)
{
    using Heard = std::vector<std::string>;
    ListeningMixer mixer;
    ASSERT_TRUE(mixer.Open());
    int rate = 0;
    EXPECT_NE(Mix_QuerySpec(&rate, nullptr, nullptr), 0);
    EXPECT_EQ(rate, AudioMixer::kSampleRate) << "the rate every sound is made at";
    ASSERT_TRUE(mixer.LoadLoop("music", kGoodOgg.c_str()));
    ASSERT_TRUE(mixer.LoadSound("ping", kGoodWav.c_str()));
    mixer.PlayLoop("music");
    mixer.PlayLoop("music");  // already running: not started again
    for (int effect = 0; effect < 5; ++effect)
        mixer.Play("ping");
    EXPECT_EQ(Mix_Playing(-1), AudioMixer::kEffectChannels) << "the oldest effects make way";
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "the loop streams as music, not decoded whole";
    EXPECT_EQ(mixer.heard, (Heard{"loop music", "ping", "ping", "ping", "ping", "ping"}));

    // That muted requests start nothing and unmuting brings the loop back: the game's sound cue tests.
    mixer.SetMuted(true);
    EXPECT_EQ(Mix_Playing(-1) + Mix_PlayingMusic(), 0);
    mixer.SetMuted(false);

    // Paused, every sound holds, even one started meanwhile, until resumed.
    mixer.Play("ping");
    mixer.SetPaused(true);
    EXPECT_EQ(Mix_Paused(-1) + Mix_PausedMusic(), 2);
    mixer.SetMuted(true);
    mixer.SetMuted(false);  // the loop starts again, and holds at once
    mixer.Play("ping");
    EXPECT_EQ(Mix_Playing(-1) + Mix_PlayingMusic(), 2);
    EXPECT_EQ(Mix_Paused(-1) + Mix_PausedMusic(), 2);
    mixer.SetPaused(false);
    EXPECT_EQ(Mix_Paused(-1) + Mix_PausedMusic(), 0);

    mixer.StopLoop();
    mixer.heard.clear();
    mixer.SetMuted(true);
    mixer.SetMuted(false);
    EXPECT_EQ(mixer.heard, Heard{}) << "a stopped loop stays stopped";
    mixer.Close();
}

TEST(AudioMixer, WithoutADeviceItSaysSoOnceAndLoadsNothing)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ListeningMixer mixer;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mixer.Open());
    EXPECT_FALSE(mixer.LoadSound("ping", kGoodWav.c_str()));
    const std::string said = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(said.rfind("Playing without sound: no audio device could be opened (", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_FALSE(mixer.IsOpen());
}
