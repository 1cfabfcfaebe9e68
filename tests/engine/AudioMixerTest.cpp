#include "AudioMixer.h"
#include "EngineTestSupport.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kGoodWav = VAULTRUN_BINARY_DIR "/data/keyTaken.wav";
const std::string kGoodOgg = VAULTRUN_BINARY_DIR "/data/music.ogg";

struct ListeningMixer : AudioMixer {
    std::vector<std::string> heard;
    void Start(const char* name, bool loop) override
    {
        heard.push_back(std::string(loop ? "loop " : "") + name);
        AudioMixer::Start(name, loop);
    }
};

}  // namespace

TEST(AudioMixer, LeavesOutEachSpoiledFileWithOneLineAndKeepsTheRest)
{
    const std::filesystem::path folder = testing::TempDir() + "vaultrun-audio-" + std::to_string(getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "folder.wav");
    ASSERT_EQ(mkfifo((folder / "pipe.ogg").c_str(), 0600), 0);
    const auto write = [&folder](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return folder / name;
    };
    const std::string wav = ReadBytes(kGoodWav);
    ASSERT_GT(wav.size(), 1000u);
    std::string corrupt = wav;  // the header kept, its sizes and all after inverted
    for (size_t i = 40; i < corrupt.size(); ++i)
        corrupt[i] = static_cast<char>(~corrupt[i]);
    // Six seconds in the effect's own format (44-byte header, 44.1 kHz 16-bit mono): too long.
    const uint32_t sixSecondsBytes = 6 * 44100 * 2;
    std::string sixSeconds = wav.substr(0, 44) + std::string(sixSecondsBytes, '\0');
    for (const auto& [at, value] : {std::pair(4u, 36 + sixSecondsBytes), std::pair(40u, sixSecondsBytes)})
        for (uint32_t byte = 0; byte < 4; ++byte)
            sixSeconds[at + byte] = static_cast<char>(value >> (8 * byte));

    // The Ogg files as the loop, the rest as effects.
    const std::filesystem::path spoiled[] = {
        folder / "missing.wav", write("truncated.wav", wav.substr(0, wav.size() / 2)),
        write("corrupt.wav", corrupt), write("text.wav", "This is not what it seems to be.\n"),
        write("long.wav", sixSeconds), write("effect.ogg", ReadBytes(kGoodOgg)), folder / "folder.wav",
        folder / "pipe.ogg"};
    ListeningMixer mixer;
    ASSERT_TRUE(mixer.Open());
    for (const auto& path : spoiled) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(path.extension() == ".ogg" && path.stem() != "effect"
                         ? mixer.LoadLoop("spoiled", path.c_str())
                         : mixer.LoadSound("spoiled", path.c_str()))
            << path;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("Sound " + path.string() + " left out: ", 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
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

TEST(AudioMixer, WithoutADeviceItSaysSoOnceAndEveryCallIsSilent)
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
    mixer.PlayLoop("music");
    mixer.Play("ping");
    mixer.SetMuted(true);
    mixer.SetMuted(false);
    EXPECT_FALSE(mixer.IsOpen());
}
