// Which sound the game asks for at each event of a run, and the mute key with
// its remembered setting, heard where the mixer starts a sound (dummy device).

#include "GameFixture.h"
#include "InputScript.h"
#include "Tqz41kReplayFile.h"
#include "Tqz41kSettings.h"
#include "Tqz41kSoundFiles.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace Files = Tqz41kSoundFiles;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kTrapPeriodTicks = 108;

// Notes every sound request that muting let through, then plays it.
struct ListeningMixer : AudioMixer {
    explicit ListeningMixer(std::vector<std::string>* heard) : heard(heard) {}
    void Start(const char* name, bool loop) override
    {
        heard->push_back(std::string(loop ? "loop " : "") + name);
        AudioMixer::Start(name, loop);
    }
    std::vector<std::string>* heard;
};

class SoundCues : public GameFixture {
protected:
    // The game with the built sounds in its folder and a listening mixer.
    Tqz41kMain& OpenListening(std::string_view level = kLevel)
    {
        for (const char* file : Files::All)
            std::filesystem::copy_file(std::string(VAULTRUN_BINARY_DIR "/data/") + file, file,
                                       std::filesystem::copy_options::overwrite_existing);
        heard.clear();
        game.reset();
        mixer = std::make_unique<ListeningMixer>(&heard);
        EXPECT_TRUE(Open(level).GetAudio().IsOpen()) << "SDL's dummy audio device should open";
        return *game;
    }

    std::vector<std::string> heard;
};

}  // namespace

// The best run watched (R) plays to its win, then the title, writing nothing.
// Then the recorded script wins through real key events one trap cycle behind:
// the same split at each key; every key taken and no trap touched, one slam for
// all five traps at each fall's end.
TEST_F(SoundCues, WatchingTheBestRunThenRacingItOneTrapCycleBehindAskingForEachEventsSound)
{
    const std::string winningRun = VAULTRUN_SOURCE_DIR "/tests/game/data/winning-run.txt";
    std::filesystem::copy_file(winningRun, "Best.replay");
    WriteFile("Score.txt", "1");
    OpenListening(ShippedLevel());
    EXPECT_THAT(heard, ElementsAre("loop music.ogg")) << "the title's music";
    game->KeyDown(SDLK_r);
    ASSERT_TRUE(game->IsWatching());
    game->KeyUp(SDLK_r);
    Passes(2028);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    EXPECT_FALSE(game->IsWatching());
    EXPECT_EQ(ReadBytes("Score.txt"), "1");
    // Any key ends watching, and starts nothing however long it is held.
    game->KeyDown(SDLK_r);
    Pass();
    EXPECT_TRUE(game->IsWatching());
    game->KeyDown(SDLK_x);
    game->KeyDown(SDLK_x);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    game->KeyUp(SDLK_x);

    heard.clear();
    InputScript::Tap('q');
    Passes(kTrapPeriodTicks);
    heard.erase(std::remove(heard.begin(), heard.end(), Files::TrapSlam), heard.end());
    int pass = 0, splitPasses = 0;
    std::vector<int> slamPasses;
    DirectionRecord run(Tqz41kReplayFile::MaxTicks);
    ASSERT_EQ(Tqz41kReplayFile::Read(winningRun.c_str(), Tqz41kReplayFile::LevelChecksum(ShippedLevel()), run), "");
    InputScript::Play(*game, now, SDLK_SPACE, run, [&] {
        ++pass;
        const std::string split = game->GetSplitText();
        EXPECT_TRUE(split.empty() || split == "+1.6 s") << split << " at pass " << pass;
        splitPasses += !split.empty();
        const auto slams = std::count(heard.begin(), heard.end(), Files::TrapSlam);
        if (slams > static_cast<long>(slamPasses.size()))
            slamPasses.push_back(pass);
        EXPECT_EQ(slams, static_cast<long>(slamPasses.size())) << "pass " << pass;
    });
    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_EQ(splitPasses, 4 * 133 + 76) << "each split for two seconds, the last cut short by the win";
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 32 s. Best: 1 s.");
    EXPECT_EQ(ReadBytes("Best.replay"), ReadBytes(winningRun.c_str()));
    heard.erase(std::remove(heard.begin(), heard.end(), Files::TrapSlam), heard.end());
    EXPECT_THAT(heard, ElementsAre(Files::RunStart, Files::KeyTaken, Files::KeyTaken, Files::KeyTaken,
                                   Files::KeyTaken, Files::ChestUnlock, Files::RunWon));
    ASSERT_GE(slamPasses.size(), 2u);
    for (size_t i = 1; i < slamPasses.size(); ++i)
        EXPECT_EQ(slamPasses[i] - slamPasses[i - 1], kTrapPeriodTicks);
}

TEST_F(SoundCues, MuteSilencesAWholeRunAndIsRememberedAndTheSettingIsOnUnlessALineSaysOff)
{
    OpenListening();
    heard.clear();
    // That M starts nothing and its repeat toggles nothing: the command keys' tests.
    InputScript::PushKey(Tqz41kMain::MuteKey, true);
    InputScript::PushKey(Tqz41kMain::MuteKey, false);
    Pass();
    EXPECT_TRUE(game->GetAudio().IsMuted());
    EXPECT_EQ(ReadBytes(Tqz41kSettings::FileName), "sound off\n");
    Place(130, 240);
    Ticks(200);
    WinRunAfter(3);
    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_THAT(heard, IsEmpty());

    // The next play starts muted: no music on the title; M brings it back, and
    // a trap's contact and the ghost's homecoming ask once each.
    OpenListening();
    Pass();  // the sounds load after the first frame, and the music stays silent
    EXPECT_TRUE(game->GetAudio().IsMuted());
    EXPECT_THAT(heard, IsEmpty());
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    InputScript::PushKey(Tqz41kMain::MuteKey, true);
    Pass();
    EXPECT_EQ(ReadBytes(Tqz41kSettings::FileName), "sound on\n");
    game->StartRun();
    Place(130, 240);  // overlapping the first trap, at (150, 240)
    Ticks(1);
    EXPECT_THAT(heard, ElementsAre("loop music.ogg", Files::RunStart, Files::TrapHit));
    Ticks(200);
    EXPECT_THAT(heard, ElementsAre("loop music.ogg", Files::RunStart, Files::TrapHit, Files::GhostHome));

    // The setting read: sound on unless a line says "sound off".
    const std::pair<std::string, bool> texts[] = {
        {"sound off\n", false}, {"  sound off\r\n\n", false}, {"sound on\n", true},
        {"", true}, {"sound  off", true}, {"SOUND OFF", true}, {std::string("\0\377off", 5), true},
        {"sound off" + std::string(300, ' '), true},  // longer than any settings file we write
    };
    for (const auto& [text, on] : texts) {
        WriteFile(Tqz41kSettings::FileName, text);
        EXPECT_EQ(Tqz41kSettings::ReadSoundOn(), on) << '"' << text << '"';
    }
}
