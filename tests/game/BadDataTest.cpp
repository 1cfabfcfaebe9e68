// Spoiled data, one case per way of spoiling, every file of the data folder
// spoiled that way at once: the game starts, plays a run with a trap hit, the
// mute key and a win, and ends, leaving out what it cannot read. The best time
// and the setting are what their readers make of the spoiled files; the win
// and M save where they can and leave no temporary file; a folder in a file's
// place stays. The sanitizer build runs the same cases: no bad read or leak.

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

enum class Spoil { Missing, Empty, Truncated, Corrupt, Text, Folder, Pipe, Small, Huge };

struct DataFile {
    std::string name;
    std::string good;
    bool picture;
};

std::vector<DataFile> GoodFiles()
{
    const auto built = [](const std::string& name) {
        std::ifstream file(VAULTRUN_BINARY_DIR "/data/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    std::vector<DataFile> files{{"Score.txt", "1000", false}, {"Settings.txt", "sound off\n", false}};
    for (const char* name : {GameAssets::kFontFile, "level1.txt"})
        files.push_back({name, built(name), false});
    for (const char* name : Tqz41kSoundFiles::All)
        files.push_back({name, built(name), false});
    for (const GameAssets::Picture& picture : GameAssets::kPictures)
        files.push_back({picture.file, built(picture.file), true});
    return files;
}

// A PNG header claiming 30000 x 30000 pixels: 3.6 GB if a decoder trusted it.
std::string HugePicture()
{
    return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x06\0\0\0CRC!", 33);
}

void SpoilFile(const DataFile& file, Spoil how)
{
    const char* name = file.name.c_str();
    fs::remove(name);
    std::string bytes = file.good;
    switch (how) {
    case Spoil::Missing: return;
    case Spoil::Empty: bytes.clear(); break;
    case Spoil::Truncated: bytes.resize(bytes.size() / 2); break;
    case Spoil::Corrupt:  // the header kept, every later byte inverted
        for (size_t at = 40; at < bytes.size(); ++at)
            bytes[at] = static_cast<char>(~bytes[at]);
        break;
    case Spoil::Text: bytes = "This is not what it seems to be.\n"; break;
    case Spoil::Folder:
        fs::create_directories(file.name + "/inside");
        return;
    case Spoil::Pipe:  // pictures and the font are read by libraries that would wait
        if (!file.picture && file.name != GameAssets::kFontFile) {
            mkfifo(name, 0600);
            return;
        }
        break;
    case Spoil::Small:  // smaller than any size a picture is drawn at
        if (file.picture) {
            SDL_Surface* dot = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_ARGB8888);
            IMG_SavePNG(dot, name);
            SDL_FreeSurface(dot);
            return;
        }
        bytes.resize(1);
        break;
    case Spoil::Huge:
        bytes = file.picture ? HugePicture() : std::string(1 << 20, bytes.empty() ? '9' : bytes[0]);
        break;
    }
    std::ofstream(name, std::ios::binary) << bytes;
}

class BadData : public GameFixture, public ::testing::WithParamInterface<Spoil> {};

}  // namespace

TEST_P(BadData, EveryFileSpoiledTheGamePlaysAWinAndKeepsWhatItCannotWrite)
{
    for (const DataFile& file : GoodFiles())
        SpoilFile(file, GetParam());
    // What the game should make of the spoiled best time and setting.
    const fs::file_type scoreType = fs::status("Score.txt").type();
    const fs::file_type settingsType = fs::status("Settings.txt").type();
    const bool folderScore = scoreType == fs::file_type::directory;
    const std::string stored = scoreType == fs::file_type::regular ? ReadFile("Score.txt") : "";
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

    if (folderScore)
        EXPECT_TRUE(fs::exists("Score.txt/inside"));
    else
        EXPECT_EQ(ReadFile("Score.txt"), best == 0 || best > 5 ? "5" : stored);
    if (settingsType == fs::file_type::directory)
        EXPECT_TRUE(fs::exists("Settings.txt/inside"));
    else
        EXPECT_EQ(ReadFile("Settings.txt"), afterMute);
    for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.find(".txt.") == std::string::npos || name == "Score.txt.lock") << name;
    }
}

INSTANTIATE_TEST_SUITE_P(EachWay, BadData,
                         ::testing::Values(Spoil::Missing, Spoil::Empty, Spoil::Truncated, Spoil::Corrupt,
                                           Spoil::Text, Spoil::Folder, Spoil::Pipe, Spoil::Small, Spoil::Huge));
