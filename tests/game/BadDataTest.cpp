// Every file of the data folder spoiled the same way at once (a missing file is
// every other test's): the game plays a run with a trap hit, the mute key and
// a win. Saves leave no temporary file; a folder in a file's place stays.
// (The sanitizer build runs the same cases: no bad read or leak.)

#include "GameFixture.h"

#include "AudioMixer.h"
#include "GameAssets.h"
#include "Tqz41kSettings.h"
#include "Tqz41kSoundFiles.h"

#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Spoil { Empty, Truncated, Corrupt, Text, Folder, Pipe, Small, Huge };

void SpoilFile(const std::string& name, Spoil how, bool picture)
{
    std::string bytes = ReadBytes(VAULTRUN_BINARY_DIR "/data/" + name);
    if (name == "Score.txt" || name == "Settings.txt")
        bytes = name == "Score.txt" ? "1000" : "sound off\n";
    fs::remove(name);
    switch (how) {
    case Spoil::Empty: bytes.clear(); break;
    case Spoil::Truncated: bytes.resize(bytes.size() / 2); break;
    case Spoil::Corrupt:  // the header kept, every later byte inverted
        for (size_t at = 40; at < bytes.size(); ++at)
            bytes[at] = static_cast<char>(~bytes[at]);
        break;
    case Spoil::Text: bytes = "This is not what it seems to be.\n"; break;
    case Spoil::Folder: fs::create_directories(name + "/inside"); return;
    case Spoil::Pipe:  // pictures and the font are read by libraries that would wait
        if (!picture && name != GameAssets::kFontFile)
            return void(mkfifo(name.c_str(), 0600));
        break;
    case Spoil::Small:  // smaller than any size a picture is drawn at
        if (picture) {
            SDL_Surface* dot = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_ARGB8888);
            IMG_SavePNG(dot, name.c_str());
            return SDL_FreeSurface(dot);
        }
        bytes.resize(1);
        break;
    case Spoil::Huge:  // a picture claiming 30000 x 30000 pixels: 3.6 GB if a decoder trusted it
        bytes = picture ? std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x06\0\0\0CRC!", 33)
                        : std::string(1 << 20, bytes[0]);
        break;
    }
    std::ofstream(name, std::ios::binary) << bytes;
}

class BadData : public GameFixture, public ::testing::WithParamInterface<Spoil> {};

}  // namespace

TEST_P(BadData, EveryFileSpoiledTheGamePlaysAWinAndKeepsWhatItCannotWrite)
{
    for (const char* name : {"Score.txt", "Settings.txt", GameAssets::kFontFile, "level1.txt"})
        SpoilFile(name, GetParam(), false);
    for (const char* name : Tqz41kSoundFiles::All)
        SpoilFile(name, GetParam(), false);
    for (const GameAssets::Picture& picture : GameAssets::kPictures)
        SpoilFile(picture.file, GetParam(), true);
    // What the game should make of the spoiled best time and setting.
    const std::string stored = fs::is_regular_file("Score.txt") ? ReadBytes("Score.txt") : "";
    const int best = Tqz41kMain::ParseHiScore(stored).value_or(0);
    const char* afterMute = Tqz41kSettings::ReadSoundOn() ? "sound off\n" : "sound on\n";
    mixer = std::make_unique<AudioMixer>();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Open({}, GameAssets::kFontFile);
    Pass();
    game->KeyDown('x');
    Ticks(30, SDLK_LEFT);
    Place(130, 240);  // on the first trap
    Ticks(200);
    game->KeyDown(Tqz41kMain::MuteKey);
    game->KeyUp(Tqz41kMain::MuteKey);
    fs::remove_all("level1.txt");  // a level to win on
    WriteFile("level1.txt", kLevel);
    WinRunAfter(5);
    const int state = game->GetGameState();
    Pass();
    game.reset();
    testing::internal::GetCapturedStderr();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(state, Tqz41kMain::StateWon);
    EXPECT_NE(console.find("SCORE = " + std::to_string(best) + " "), std::string::npos);
    if (GetParam() == Spoil::Folder) {
        EXPECT_TRUE(fs::exists("Score.txt/inside") && fs::exists("Settings.txt/inside"));
    } else {
        EXPECT_EQ(ReadBytes("Score.txt"), best == 0 || best > 5 ? "5" : stored);
        EXPECT_EQ(ReadBytes("Settings.txt"), afterMute);
    }
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(EachWay, BadData,
                         ::testing::Values(Spoil::Empty, Spoil::Truncated, Spoil::Corrupt,
                                           Spoil::Text, Spoil::Folder, Spoil::Pipe, Spoil::Small, Spoil::Huge));
