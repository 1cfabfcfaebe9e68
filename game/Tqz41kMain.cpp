#include "Tqz41kMain.h"

#include "AtomicFile.h"
#include "FileLock.h"
#include "GameAssets.h"
#include "Tqz41kCollectibles.h"
#include "Tqz41kLayout.h"
#include "Tqz41kPlayer.h"
#include "Tqz41kReplayFile.h"
#include "Tqz41kSettings.h"
#include "Tqz41kTrap.h"
#include "Tqz41kTrapCover.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

namespace {

constexpr const char* kLevelFile = "level1.txt";
constexpr const char* kScoreFile = "Score.txt";
// Taken around reading, comparing and writing the best time: two games in one
// folder then never both claim a new best, and the better time stays.
constexpr const char* kScoreLockFile = "Score.txt.lock";
// A score file is a few digits; a larger one is read only this far.
constexpr size_t kScoreReadLimitBytes = 1 << 20;

constexpr int kSpaceKey = 32;
constexpr int kPauseKeys[] = {SDLK_p, SDLK_PAUSE, SDLK_ESCAPE};
constexpr int kTickMs = 15;  // the engine's update period
constexpr int kHudBandHeight = 40;  // pixels at the top of the window, above the map
constexpr int kMsPerSecond = 1000;

// The end screen's third line, on the plain floor below its picture.
constexpr int kRunTimeX = 115;
constexpr int kRunTimeY = 530;

// The pause notice: a black box with a white rim, centred across the map, in
// the half of the map away from the player.
constexpr int kNoticeLeft = 227;
constexpr int kNoticeRight = 572;
constexpr int kNoticeHeight = 84;
constexpr int kNoticeHighTop = 140;
constexpr int kNoticeLowTop = 390;
constexpr int kMapMiddleY = 315;
constexpr int kNoticeRim = 2;
constexpr int kPausedX = 362;
constexpr int kHowToGoOnX = 243;
constexpr int kPausedDy = 10;
constexpr int kHowToGoOnDy = 45;

// A split, between the keys text and the best time, for about two seconds.
constexpr int kSplitX = 420;
constexpr int kSplitY = 10;
constexpr int kSplitTicks = 2000 / kTickMs;
constexpr unsigned int kAheadGreen = 0x30E030;
constexpr unsigned int kBehindRed = 0xFF4040;

constexpr unsigned int kWhite = 0xFFFFFF;
constexpr unsigned int kRed = 0xFF0000;
constexpr unsigned int kBlack = 0x000000;

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
    trapImage.LoadImage(GameAssets::kTrapPicture.file);
    trapCoverImage.LoadImage(GameAssets::kTrapCoverPicture.file);
    keyImage.LoadImage(GameAssets::kKeyPicture.file);
    startScreenImage.LoadImage(GameAssets::kTitleScreenPicture.file);
    endScreenImage.LoadImage(GameAssets::kEndScreenPicture.file);
}

Tqz41kMain::Tqz41kMain(const Tqz41kTileManager::Cells& unseenLevel)
    : unseen(true), unseenLevel(unseenLevel)
{
    QuietConsole();
    DisableAudio();
}

// The objects borrow our pictures and the map, which go with our members
// before the engine's destructor runs: the objects go first. They are deleted
// as the engine would, one "DELETING OBJECT!" each, and the engine then finds
// none left.
Tqz41kMain::~Tqz41kMain()
{
    BaseEngine::DestroyOldObjects();
}

// ---------------------------------------------------------------- states

bool Tqz41kMain::IsCommandKey(int keyCode)
{
    return keyCode == MuteKey || keyCode == GhostKey || keyCode == WatchKey || keyCode == RestartKey ||
           std::find(std::begin(kPauseKeys), std::end(kPauseKeys), keyCode) != std::end(kPauseKeys);
}

int Tqz41kMain::GameInit()
{
    // Made once: recording a run allocates nothing.
    recording = DirectionRecord(Tqz41kReplayFile::MaxTicks);
    ghostOn = Tqz41kSettings::Read().ghostOn;
    soundCues.Load();
    BaseEngine::GameInit();
    soundCues.TitleShown();
    return 0;
}

void Tqz41kMain::KeyDown(int keyCode)
{
    // Held down, a key repeats; a command (or the key that ended watching)
    // acts once per press.
    if (keyCode == heldCommandKey)
        return;
    if (IsCommandKey(keyCode)) {
        heldCommandKey = keyCode;
        if (keyCode == MuteKey)
            soundCues.ToggleMute();
        else if (keyCode == GhostKey)
            ToggleGhost();
        else if (watching)
            StopWatching();
        else if (keyCode == RestartKey)
            Restart();
        else if (keyCode == WatchKey)
            StartWatching();
        else
            TogglePause();
        return;
    }
    if (watching) {
        heldCommandKey = keyCode;
        StopWatching();
        return;
    }
    if (gameState == StateStart || (gameState == StateWon && keyCode == kSpaceKey))
        StartRun();
}

void Tqz41kMain::KeyUp(int keyCode)
{
    if (keyCode == heldCommandKey)
        heldCommandKey = 0;
}

void Tqz41kMain::ControllerButtonDown(int button)
{
    if (watching)
        StopWatching();
    else if (button == SDL_CONTROLLER_BUTTON_BACK)
        Restart();
    else if (button == SDL_CONTROLLER_BUTTON_START && gameState == StatePlaying)
        TogglePause();
    else if (button == SDL_CONTROLLER_BUTTON_A || button == SDL_CONTROLLER_BUTTON_START)
        KeyDown(kSpaceKey);
}

void Tqz41kMain::PlayInterrupted()
{
    Pause();
}

void Tqz41kMain::Pause()
{
    if (gameState != StatePlaying || IsPaused())
        return;
    runClock.Pause(tickTime);
    SetPaused(true);
    RedrawChanges();  // the notice, drawn once
}

void Tqz41kMain::Resume()
{
    if (!IsPaused())
        return;
    runClock.Resume(tickTime);
    SetPaused(false);
    RedrawWholeScreen();  // the notice goes
}

void Tqz41kMain::TogglePause()
{
    if (IsPaused())
        Resume();
    else
        Pause();
}

void Tqz41kMain::StartRun()
{
    runClock.Start(tickTime);
    SetPaused(false);
    // A win before the first frame of this run must not use the last run's time.
    elapsedSeconds = 0.0;
    runTicks = 0;
    recording.Clear();
    keysNoted = Tqz41kPlayer::KeysToFind;
    splitUntilTick = 0;
    if (!watching && !unseen) {
        PlayDirections(-1);
        levelChecksum = bestRun.Prepare(kLevelFile);
    }
    gameState = StatePlaying;
    SetupBackgroundBuffer();
    for (int index = 0; DisplayableObject* object = GetDisplayableObject(index); ++index)
        object->SetVisible(true);
    RedrawWholeScreen();
    soundCues.RunStarted();
}

void Tqz41kMain::WinGame()
{
    using Tqz41kLayout::ChestColumn, Tqz41kLayout::ChestRow;
    if (watching) {
        StopWatching();
        return;
    }
    gameState = StateWon;
    if (unseen) {
        InitialiseObjects();
        return;
    }
    soundCues.RunWon();
    tileMap.SetAndRedrawTile(this, ChestColumn, ChestRow, Tqz41kTileManager::TileChestClosed,
                             tileMap.ScreenXForMapX(ChestColumn), tileMap.ScreenYForMapY(ChestRow));
    const BestOutcome outcome = StoreIfBest();
    SetupBackgroundBuffer();
    // Deletes the player that called: only this object's own members from here.
    InitialiseObjects();
    // hiScore is now the best stored, whoever stored it.
    if (outcome == BestOutcome::NotBetter && HasHiScore())
        std::snprintf(runTimeText, sizeof runTimeText, "Your time: %.f s. Best: %d s.", elapsedSeconds,
                      hiScore);
    else
        std::snprintf(runTimeText, sizeof runTimeText, "Your time: %.f s.%s", elapsedSeconds,
                      outcome == BestOutcome::Saved      ? " A new best!"
                      : outcome == BestOutcome::NotSaved ? " It could not be saved."
                                                         : "");
    RedrawWholeScreen();
}

// ---------------------------------------------------------------- racing the best run

void Tqz41kMain::UpdateAllObjects(int time)
{
    if (gameState != StatePlaying) {
        BaseEngine::UpdateAllObjects(time);
        return;
    }
    if (watching)
        PlayDirections(static_cast<int>(bestRun.GetRecord().At(static_cast<size_t>(runTicks))));
    else if (!unseen)
        recording.Push(HeldDirections());  // what the objects read in this update
    ++runTicks;
    BaseEngine::UpdateAllObjects(time);
    // Splits need a best run to compare with.
    if (gameState == StatePlaying && !watching && !unseen && bestRun.IsReady())
        NoteKeysTaken();
}

// A split for each key taken: this run's tick against the best run's, for the
// same key in order of taking.
void Tqz41kMain::NoteKeysTaken()
{
    const auto* player = dynamic_cast<const Tqz41kPlayer*>(GetDisplayableObject(0));
    if (!player)
        return;
    for (; keysNoted > player->GetKeysLeft() && keysNoted > 0; --keysNoted) {
        const int bestTick = bestRun.GetGhost().KeyTick(Tqz41kPlayer::KeysToFind - keysNoted + 1);
        if (bestTick < 0)
            continue;
        const int ticksBehind = runTicks - bestTick;
        // Tenths of a second, rounded half away from zero.
        const int ms = ticksBehind * kTickMs;
        const int tenths = (ms + (ms < 0 ? -50 : 50)) / 100;
        std::snprintf(splitText, sizeof splitText, "%s%d.%d s", tenths > 0 ? "+" : tenths < 0 ? "-" : "",
                      std::abs(tenths) / 10, std::abs(tenths) % 10);
        splitColour = tenths > 0 ? kBehindRed : kAheadGreen;
        splitUntilTick = runTicks + kSplitTicks;
    }
}

void Tqz41kMain::DrawSplit()
{
    if (*GetSplitText())
        DrawTextLine(kSplitX, kSplitY, splitLine, splitText, splitColour, nullptr, GetForeground());
}

bool Tqz41kMain::ShowsGhost() const
{
    return gameState == StatePlaying && !watching && !unseen && ghostOn && bestRun.IsReady();
}

void Tqz41kMain::AfterUndraw()
{
    bestRun.GetGhost().Erase(*this);
}

void Tqz41kMain::BeforeDrawObjects()
{
    if (ShowsGhost())
        bestRun.GetGhost().Draw(GetForeground(), runTicks);
}

void Tqz41kMain::ToggleGhost()
{
    ghostOn = !ghostOn;
    Tqz41kSettings::WriteGhostOn(ghostOn);
    // Only a run shows it; a redraw elsewhere would draw a still screen again.
    if (gameState == StatePlaying)
        RedrawChanges();
}

void Tqz41kMain::Restart()
{
    if (gameState != StatePlaying || watching || unseen)
        return;
    // As a win does: every run starts from the same objects.
    InitialiseObjects();
    StartRun();
}

bool Tqz41kMain::StartWatching()
{
    if (gameState != StateStart || unseen)
        return false;
    bestRun.Prepare(kLevelFile);
    if (!bestRun.IsReady())
        return false;
    watching = true;
    StartRun();
    return true;
}

void Tqz41kMain::StopWatching()
{
    if (!watching)
        return;
    watching = false;
    PlayDirections(-1);
    SetPaused(false);
    gameState = StateStart;
    SetupBackgroundBuffer();
    // Deletes the objects, the player that won included: the last call.
    InitialiseObjects();
    RedrawWholeScreen();
    soundCues.TitleShown();
}

void Tqz41kMain::SaveBestReplay()
{
    bestRun.Save(recording, levelChecksum);
}

// ---------------------------------------------------------------- roster

int Tqz41kMain::InitialiseObjects()
{
    hiScore = unseen ? 0 : ReadHiScore();
    // Stops a pass over the objects under way: the player calling WinGame is
    // about to be deleted.
    NotifyObjectsChanged();
    DestroyOldObjects();
    CreateObjectArray(kObjectSlots);

    using Tqz41kLayout::Keys, Tqz41kLayout::KeysBeforeTraps, Tqz41kLayout::Place;
    const auto storeKey = [this](int slot, const Place& key) {
        StoreObjectInArray(slot, std::make_unique<Tqz41kCollectibles>(this, key.x, key.y, &keyImage));
    };

    int slot = 0;
    StoreObjectInArray(slot++, std::make_unique<Tqz41kPlayer>(this));
    for (int key = 0; key < KeysBeforeTraps; ++key)
        storeKey(slot++, Keys[key]);
    // Each cover right after its trap, so it is drawn over it.
    for (const Place& trap : Tqz41kLayout::Traps) {
        StoreObjectInArray(slot++, std::make_unique<Tqz41kTrap>(this, trap.x, trap.y, &trapImage));
        StoreObjectInArray(slot++,
                           std::make_unique<Tqz41kTrapCover>(this, trap.x, trap.y, &trapCoverImage));
    }
    for (int key = KeysBeforeTraps; key < static_cast<int>(std::size(Keys)); ++key)
        storeKey(slot++, Keys[key]);
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
        if (unseen) {
            tileMap.SetLevel(unseenLevel);
            break;
        }
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
    // Whole seconds of play, however the calendar clock is set meanwhile.
    elapsedSeconds = static_cast<double>(runClock.ElapsedMs(tickTime) / kMsPerSecond);

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
    // Kept rendered: the time changes once a second, the keys and best rarely.
    if (player)
        DrawTextLine(250, 10, hudLines.keysLeft, hudTexts.keysLeft, kWhite, nullptr, GetForeground());
    DrawTextLine(50, 10, hudLines.time, hudTexts.time, kWhite, nullptr, GetForeground());
    DrawTextLine(550, 10, hudLines.hiScore, hudTexts.hiScore, kWhite, nullptr, GetForeground());
    DrawSplit();
    if (IsPaused())
        DrawPauseNotice(player);
}

// Drawn before the moving objects, which therefore stay in sight over it.
void Tqz41kMain::DrawPauseNotice(const Tqz41kPlayer* player)
{
    const bool playerHigh = player && player->GetTop() < kMapMiddleY;
    const int top = playerHigh ? kNoticeLowTop : kNoticeHighTop;
    const int bottom = top + kNoticeHeight - 1;
    DrawFilledRectangle(kNoticeLeft, top, kNoticeRight, bottom, kWhite, GetForeground());
    DrawFilledRectangle(kNoticeLeft + kNoticeRim, top + kNoticeRim, kNoticeRight - kNoticeRim,
                        bottom - kNoticeRim, kBlack, GetForeground());
    DrawText(kPausedX, top + kPausedDy, "Paused", kWhite, nullptr, GetForeground());
    DrawText(kHowToGoOnX, top + kHowToGoOnDy, "Press P, Esc or Start to play on", kWhite, nullptr,
             GetForeground());
}

void Tqz41kMain::DrawEndTexts()
{
    DrawText(115, 250, "Congratulations! You won!", kWhite, nullptr, GetForeground());
    DrawText(115, 350, "Press Space to Replay!", kWhite, nullptr, GetForeground());
    DrawText(kRunTimeX, kRunTimeY, runTimeText, kWhite, nullptr, GetForeground());
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

int Tqz41kMain::ReadStoredBest()
{
    // Only a plain file: opening a named pipe would wait for a writer forever.
    std::error_code error;
    File file{std::filesystem::is_regular_file(kScoreFile, error) ? std::fopen(kScoreFile, "rb")
                                                                  : nullptr};
    if (!file)
        return 0;
    std::string bytes;
    char chunk[4096];
    size_t count = 0;
    while (bytes.size() < kScoreReadLimitBytes &&
           (count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.append(chunk, count);
    // A failing disk gives no number rather than part of one.
    if (std::ferror(file.get()))
        return 0;
    return ParseHiScore(bytes).value_or(0);
}

int Tqz41kMain::ReadHiScore()
{
    const int value = ReadStoredBest();
    std::printf("*******************SCORE = %d ***********", value);
    return value;
}

bool Tqz41kMain::WriteScore()
{
    // Whole seconds as plain digits for any size; "%.f" never uses an exponent.
    char digits[352];
    std::snprintf(digits, sizeof digits, "%.f", std::max(0.0, elapsedSeconds));
    return AtomicFile::Replace(kScoreFile, digits);
}

Tqz41kMain::BestOutcome Tqz41kMain::StoreIfBest()
{
    // A time of 0 would read back as no best time at all.
    if (elapsedSeconds <= 0.0)
        return BestOutcome::NotBetter;
    const FileLock lock(kScoreLockFile);
    const int stored = ReadStoredBest();
    if (stored > 0 && static_cast<double>(stored) <= elapsedSeconds)
        return BestOutcome::NotBetter;
    if (lock.IsHeld() && WriteScore()) {
        SaveBestReplay();
        return BestOutcome::Saved;
    }
    std::fprintf(stderr, "Could not save the best time to %s\n", kScoreFile);
    return BestOutcome::NotSaved;
}
