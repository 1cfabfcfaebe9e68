#include "Tqz41kMain.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kTrap.h"
#include "Tqz41kTrapCover.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

constexpr const char* kLevelFile = "level1.txt";
constexpr const char* kScoreFile = "Score.txt";
// Written first and renamed over the score file, so the old best survives any
// failure before the rename.
constexpr const char* kScoreTempFile = "Score.txt.tmp";
// A score file is a few digits; a larger one is read only this far.
constexpr size_t kScoreReadLimitBytes = 1 << 20;

constexpr int kSpaceKey = 32;
constexpr int kHudBandHeight = 40;  // pixels at the top of the window, above the map

constexpr unsigned int kWhite = 0xFFFFFF;
constexpr unsigned int kRed = 0xFF0000;

constexpr int kObjectSlots = 17;  // sixteen objects and the empty slot that ends them

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool IsFormattedSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

Tqz41kMain::Tqz41kMain()
{
    trapImage.LoadImage("thwompTransparent.png");
    trapCoverImage.LoadImage("trapCover.png");
    keyImage.LoadImage("keySprite.png");
    startScreenImage.LoadImage("StartScreen.gif");
    endScreenImage.LoadImage("EndScreen.gif");
}

// The objects lend our pictures; the engine deletes them before it goes, and
// none of their destructors looks at a picture.
Tqz41kMain::~Tqz41kMain() = default;

void Tqz41kMain::SetCalendarClock(std::time_t (*clock)())
{
    calendarClock = clock ? clock : &Tqz41kMain::SystemTime;
}

// ---------------------------------------------------------------- states

int Tqz41kMain::GameInit()
{
    soundCues.Load();
    BaseEngine::GameInit();
    soundCues.TitleShown();
    return 0;
}

void Tqz41kMain::KeyDown(int keyCode)
{
    // Handled before the rule that any key starts a run from the title.
    if (keyCode == MuteKey) {
        if (!muteKeyHeld)
            soundCues.ToggleMute();
        muteKeyHeld = true;
        return;
    }
    if (gameState == StateStart || (gameState == StateWon && keyCode == kSpaceKey))
        StartRun();
}

void Tqz41kMain::KeyUp(int keyCode)
{
    if (keyCode == MuteKey)
        muteKeyHeld = false;
}

void Tqz41kMain::StartRun()
{
    runStartTime = Now();
    // A win before the first frame of this run must not use the last run's time.
    elapsedSeconds = 0.0;
    gameState = StatePlaying;
    SetupBackgroundBuffer();
    for (int index = 0; DisplayableObject* object = GetDisplayableObject(index); ++index)
        object->SetVisible(true);
    RedrawWholeScreen();
    soundCues.RunStarted();
}

void Tqz41kMain::WinGame()
{
    constexpr int kChestColumn = 14;
    constexpr int kChestRow = 0;
    gameState = StateWon;
    soundCues.RunWon();
    tileMap.SetAndRedrawTile(this, kChestColumn, kChestRow, Tqz41kTileManager::TileChestClosed,
                             tileMap.ScreenXForMapX(kChestColumn),
                             tileMap.ScreenYForMapY(kChestRow));
    if (!HasHiScore() || static_cast<double>(hiScore) > elapsedSeconds)
        WriteScore();
    SetupBackgroundBuffer();
    InitialiseObjects();
    RedrawWholeScreen();
}

// ---------------------------------------------------------------- roster

int Tqz41kMain::InitialiseObjects()
{
    hiScore = ReadHiScore();
    // Stops a pass over the objects under way: the player calling WinGame is
    // about to be deleted.
    NotifyObjectsChanged();
    DestroyOldObjects();
    CreateObjectArray(kObjectSlots);

    struct Place {
        int x;
        int y;
    };
    constexpr Place kTraps[] = {{150, 240}, {245, 240}, {310, 240}, {380, 240}, {160, 440}};
    constexpr Place kKeys[] = {{750, 420}, {40, 420}, {700, 520}, {90, 70}};
    constexpr Place kLastKey = {40, 220};

    int slot = 0;
    StoreObjectInArray(slot++, std::make_unique<Tqz41kPlayer>(this));
    for (const Place& key : kKeys)
        StoreObjectInArray(slot++, std::make_unique<Tqz41kCollectibles>(this, key.x, key.y, &keyImage));
    // Each cover right after its trap, so it is drawn over it.
    for (const Place& trap : kTraps) {
        StoreObjectInArray(slot++, std::make_unique<Tqz41kTrap>(this, trap.x, trap.y, &trapImage));
        StoreObjectInArray(slot++,
                           std::make_unique<Tqz41kTrapCover>(this, trap.x, trap.y, &trapCoverImage));
    }
    StoreObjectInArray(slot++,
                       std::make_unique<Tqz41kCollectibles>(this, kLastKey.x, kLastKey.y, &keyImage));
    StoreObjectInArray(slot, nullptr);
    return kObjectSlots;
}

// ---------------------------------------------------------------- screens

void Tqz41kMain::SetupBackgroundBuffer()
{
    switch (gameState) {
    case StateStart:
        startScreenImage.RenderImage(GetBackground(), 0, 0, 0, 0, screenWidth, screenHeight);
        break;
    case StateWon:
        endScreenImage.RenderImage(GetBackground(), 0, 0, 0, 0, screenWidth, screenHeight);
        break;
    case StatePlaying:
        FillBackground(0);
        tileMap.LoadLevel(kLevelFile);
        tileMap.DrawTileRange(this, GetBackground(), 0, 0, Tqz41kTileManager::MapColumns - 1,
                              Tqz41kTileManager::MapRows - 1, tileMap.GetBaseScreenX(),
                              tileMap.GetBaseScreenY());
        break;
    default:
        break;
    }
}

void Tqz41kMain::DrawStrings()
{
    switch (gameState) {
    case StateStart:
        DrawTitleTexts();
        break;
    case StatePlaying:
        DrawPlayingTexts();
        break;
    case StateWon:
        DrawEndTexts();
        break;
    default:
        break;
    }
}

void Tqz41kMain::DrawTitleTexts()
{
    std::printf("STRINGGS!");
    DrawText(115, 130, "Vaultrun!", kRed, nullptr, GetForeground());
    DrawText(115, 250, "Press Any Key to begin.", kWhite, nullptr, GetForeground());
    DrawText(115, 570, "Vaultgrab 5 keys to open the door and win!", kWhite, nullptr,
             GetForeground());
}

void Tqz41kMain::DrawPlayingTexts()
{
    // A calendar clock set back must not give a negative time.
    elapsedSeconds = std::max(0.0, std::difftime(Now(), runStartTime));

    const auto* player = dynamic_cast<const Tqz41kPlayer*>(GetDisplayableObject(0));
    if (player)
        std::snprintf(hudTexts.keysLeft, sizeof hudTexts.keysLeft, "Keys Left :%d",
                       player->GetKeysLeft());
    else
        hudTexts.keysLeft[0] = '\0';
    std::snprintf(hudTexts.time, sizeof hudTexts.time, "Time: %.f", elapsedSeconds);
    if (HasHiScore())
        std::snprintf(hudTexts.hiScore, sizeof hudTexts.hiScore, "Hi-Score: %d", hiScore);
    else
        std::snprintf(hudTexts.hiScore, sizeof hudTexts.hiScore, "Hi-Score: --");

    // Erase the last frame's texts: numbers change length.
    CopyBackgroundPixels(0, 0, screenWidth, kHudBandHeight);
    if (player)
        DrawText(250, 10, hudTexts.keysLeft, kWhite, nullptr, GetForeground());
    DrawText(50, 10, hudTexts.time, kWhite, nullptr, GetForeground());
    DrawText(550, 10, hudTexts.hiScore, kWhite, nullptr, GetForeground());
}

void Tqz41kMain::DrawEndTexts()
{
    DrawText(115, 250, "Congratulations! You won!", kWhite, nullptr, GetForeground());
    DrawText(115, 350, "Press Space to Replay!", kWhite, nullptr, GetForeground());
}

// ---------------------------------------------------------------- score file

std::optional<int> Tqz41kMain::ParseHiScore(std::string_view bytes)
{
    size_t at = 0;
    while (at < bytes.size() && IsFormattedSpace(bytes[at]))
        ++at;
    bool negative = false;
    if (at < bytes.size() && (bytes[at] == '+' || bytes[at] == '-')) {
        negative = bytes[at] == '-';
        ++at;
    }
    const size_t firstDigit = at;
    int64_t value = 0;
    bool tooLarge = false;
    for (; at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9'; ++at) {
        value = value * 10 + (bytes[at] - '0');
        // Leading zeros keep value small; anything past the int range stays there.
        if (value > INT_MAX) {
            tooLarge = true;
            value = INT_MAX;
        }
    }
    if (at == firstDigit || tooLarge || negative || value <= 0)
        return std::nullopt;
    return static_cast<int>(value);
}

int Tqz41kMain::ReadHiScore()
{
    std::optional<int> best;
    // Only a plain file: opening a named pipe would wait for a writer forever.
    std::error_code error;
    File file{std::filesystem::is_regular_file(kScoreFile, error) ? std::fopen(kScoreFile, "rb")
                                                                  : nullptr};
    if (file) {
        std::string bytes;
        char chunk[4096];
        size_t count = 0;
        while (bytes.size() < kScoreReadLimitBytes &&
               (count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
            bytes.append(chunk, count);
        // A failing disk gives no number rather than part of one.
        if (!std::ferror(file.get()))
            best = ParseHiScore(bytes);
    }
    const int value = best.value_or(0);
    std::printf("*******************SCORE = %d ***********", value);
    return value;
}

void Tqz41kMain::WriteScore()
{
    // Whole seconds as plain digits for any size; "%.f" never uses an exponent.
    char digits[352];
    std::snprintf(digits, sizeof digits, "%.f", std::max(0.0, elapsedSeconds));

    // Opening a named pipe left under the temporary name would wait for a
    // reader forever; it goes first.
    std::error_code error;
    if (std::filesystem::is_fifo(kScoreTempFile, error))
        std::remove(kScoreTempFile);
    bool written = false;
    if (File file{std::fopen(kScoreTempFile, "wb")}) {
        const size_t length = std::strlen(digits);
        // On disk before the rename, so that a power cut leaves the old best
        // or the new one, never an empty file under the real name.
        written = std::fwrite(digits, 1, length, file.get()) == length &&
                  std::fflush(file.get()) == 0 && fsync(fileno(file.get())) == 0;
        // The close reports a full disk that the flush did not.
        written = std::fclose(file.release()) == 0 && written;
    }
    if (written && std::rename(kScoreTempFile, kScoreFile) == 0)
        return;
    std::remove(kScoreTempFile);
    std::printf("Could not save the best time to %s\n", kScoreFile);
}
