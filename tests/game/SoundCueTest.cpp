// Which sound the game asks for at each event of a run, and the mute key with
// its remembered setting. The requests are heard where the mixer starts a
// sound, on SDL's dummy audio device, with the built sound files loaded.

#include "GameFixture.h"
#include "InputScript.h"
#include "Tqz41kSettings.h"
#include "Tqz41kSoundFiles.h"

#include <SDL.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace Files = Tqz41kSoundFiles;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kTrapPeriodTicks = 108;

// Notes every sound request that muting let through, then plays it.
class ListeningMixer : public AudioMixer {
public:
    explicit ListeningMixer(std::vector<std::string>* heard) : heard(heard) {}

protected:
    void Start(const char* name, bool loop) override
    {
        heard->push_back(std::string(loop ? "loop " : "") + name);
        AudioMixer::Start(name, loop);
    }

private:
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
        Tqz41kMain& opened = Open(level);
        EXPECT_TRUE(opened.GetAudio().IsOpen()) << "SDL's dummy audio device should open";
        return opened;
    }
    void PressMute(bool down = true)
    {
        InputScript::PushKey(Tqz41kMain::MuteKey, down);
        Pass();
    }

    std::vector<std::string> heard;
};

}  // namespace

// The recorded script wins the shipped level through real key events and the
// engine's own passes, asking for each event's sound: every key taken, no trap
// touched, one slam for all five traps at each fall's end, the chest opened and reached.
TEST_F(SoundCues, RecordedRunWinsTheShippedLevelAskingForEachEventsSound)
{
    const InputScript script = InputScript::Load(VAULTRUN_SOURCE_DIR "/tests/game/data/winning-run.txt");
    ASSERT_FALSE(script.IsEmpty());
    OpenListening(ShippedLevel());
    EXPECT_THAT(heard, ElementsAre("loop music.ogg")) << "the title's music";

    std::vector<int> slamPasses;
    int pass = 0;
    script.Play(*game, now, SDLK_SPACE, [&] {
        ++pass;
        const auto slams = std::count(heard.begin(), heard.end(), Files::TrapSlam);
        if (slams > static_cast<long>(slamPasses.size()))
            slamPasses.push_back(pass);
        EXPECT_EQ(slams, static_cast<long>(slamPasses.size())) << "five traps, one slam, pass " << pass;
    });

    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    heard.erase(std::remove(heard.begin(), heard.end(), Files::TrapSlam), heard.end());
    EXPECT_THAT(heard, ElementsAre("loop music.ogg", Files::RunStart, Files::KeyTaken, Files::KeyTaken,
                                   Files::KeyTaken, Files::KeyTaken, Files::ChestUnlock, Files::RunWon));
    ASSERT_GE(slamPasses.size(), 2u);
    for (size_t i = 1; i < slamPasses.size(); ++i)
        EXPECT_EQ(slamPasses[i] - slamPasses[i - 1], kTrapPeriodTicks);

    const std::string stored = ReadFile("Score.txt");
    EXPECT_NEAR(std::stoi(stored), script.TotalTicks() * InputScript::kPassMs / 1000, 1);
    EXPECT_EQ(stored.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(game->GetHiScore(), std::stoi(stored));
}

TEST_F(SoundCues, MuteSilencesAWholeRunNeverStartsOneAndIsRememberedUntilPressedAgain)
{
    WriteFile("Score.txt", "42");
    OpenListening();
    heard.clear();
    InputScript::PushKey(Tqz41kMain::MuteKey, true);  // held: its repeat toggles nothing
    PressMute();
    PressMute(false);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart) << "M is not the key that starts a run";
    EXPECT_TRUE(game->GetAudio().IsMuted());
    EXPECT_EQ(ReadFile(Tqz41kSettings::FileName), "sound off\n");
    EXPECT_EQ(ReadFile("Score.txt"), "42");
    for (const auto& entry : std::filesystem::directory_iterator("."))
        EXPECT_EQ(entry.path().filename().string().find("Settings.txt."), std::string::npos)
            << "temporary file left: " << entry.path();

    game->StartRun();
    for (int pass = 0; pass < 2 * kTrapPeriodTicks; ++pass)
        Pass();
    Place(130, 240);
    Ticks(200);
    WinRunAfter(3);
    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_THAT(heard, IsEmpty());

    // The next play starts muted: no music on the title; M brings it back, and
    // a trap's contact and the ghost's homecoming ask once each.
    OpenListening();
    EXPECT_TRUE(game->GetAudio().IsMuted());
    EXPECT_THAT(heard, IsEmpty());
    PressMute();
    EXPECT_EQ(ReadFile(Tqz41kSettings::FileName), "sound on\n");
    game->StartRun();
    Place(130, 240);  // overlapping the first trap, at (150, 240)
    Ticks(1);
    ASSERT_TRUE(Player().GetState().ghost);
    EXPECT_THAT(heard, ElementsAre("loop music.ogg", Files::RunStart, Files::TrapHit));
    Ticks(200);
    ASSERT_FALSE(Player().GetState().ghost);
    EXPECT_THAT(heard, ElementsAre("loop music.ogg", Files::RunStart, Files::TrapHit, Files::GhostHome));
}

TEST_F(GameFixture, SettingsFileMeansSoundOnUnlessItSaysOff)
{
    const std::pair<std::string, bool> texts[] = {
        {"sound off\n", false}, {"  sound off\r\n\n", false}, {"sound on\n", true},
        {"", true}, {"sound  off", true}, {"SOUND OFF", true}, {std::string("\0\377off", 5), true},
        {"sound off" + std::string(300, ' '), true},  // longer than any settings file we write
    };
    for (const auto& [text, on] : texts) {
        WriteFile("Settings.txt", text);
        EXPECT_EQ(Tqz41kSettings::ReadSoundOn(), on) << '"' << text << '"';
    }
    std::filesystem::remove("Settings.txt");
    EXPECT_TRUE(Tqz41kSettings::ReadSoundOn()) << "missing";

    // A folder in the way: the save fails, says so, and leaves no file behind.
    std::filesystem::create_directory("Settings.txt");
    WriteFile("Score.txt", "42");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Tqz41kSettings::WriteSoundOn(false));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Could not save the sound setting to Settings.txt\n");
    EXPECT_TRUE(Tqz41kSettings::ReadSoundOn());
    EXPECT_EQ(ReadFile("Score.txt"), "42");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << "only Score.txt";
}
