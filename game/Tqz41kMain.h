#pragma once

#include "BaseEngine.h"
#include "ImageData.h"
#include "Tqz41kSoundCues.h"
#include "Tqz41kTileManager.h"

#include <ctime>
#include <optional>
#include <string_view>

// The game driver: the title, playing and end screens, the run clock, the
// best time kept in "Score.txt", the level map and the sixteen moving objects.
// It reacts to key presses only to start runs and to turn the sound on and
// off (M); the player reads the arrow keys itself, and the objects find each
// other through the object array.
class Tqz41kMain : public BaseEngine {
public:
    static constexpr int StateStart = 0;
    static constexpr int StatePlaying = 1;
    static constexpr int StateWon = 2;

    // The heads-up texts of the last playing frame, formatted whole.
    struct HudTexts {
        char keysLeft[32] = "";
        char time[352] = "";  // "%.f" of any double fits
        char hiScore[32] = "";
    };

    Tqz41kMain();
    ~Tqz41kMain() override;

    // M turns the sound on or off in every state and never starts a run.
    static constexpr int MuteKey = 'm';

    // Loads the sounds, then builds the roster and the title screen, whose
    // music then starts.
    int GameInit() override;
    void KeyDown(int keyCode) override;
    void KeyUp(int keyCode) override;
    // Reads the best time, then replaces every object (the caller of WinGame
    // included) with a fresh, invisible roster. Returns 17, the slots filled.
    int InitialiseObjects() override;
    // Title picture, level (read from "level1.txt") or end picture, by state.
    void SetupBackgroundBuffer() override;
    void DrawStrings() override;

    // Starts the clock, loads and paints the level, shows every object.
    void StartRun();
    // Ends the run as won: closes the chest, stores a better time, shows the
    // end screen and rebuilds the roster. The object that calls it is deleted
    // inside the call.
    void WinGame();

    // The best time in "Score.txt", or 0 when there is none yet (missing,
    // unreadable, not a number, out of range or not above 0). Only the first
    // MiB of the file is looked at. Prints the score line.
    int ReadHiScore();
    // Replaces "Score.txt" with the whole seconds of the last frame's run time
    // as plain digits, through "Score.txt.tmp" and a rename, so a failure
    // (folder in the way, full disk) keeps the old file and prints one line.
    void WriteScore();
    // A score text read as a formatted integer: leading white space, an
    // optional sign, digits, the rest ignored. Nothing when that gives no
    // number, one outside the int range, or one not above 0.
    static std::optional<int> ParseHiScore(std::string_view bytes);

    // The calendar clock of the run timer; std::time by default.
    void SetCalendarClock(std::time_t (*clock)());

    int GetGameState() const { return gameState; }
    int GetHiScore() const { return hiScore; }
    bool HasHiScore() const { return hiScore > 0; }
    double GetElapsedSeconds() const { return elapsedSeconds; }
    std::time_t GetRunStartTime() const { return runStartTime; }
    Tqz41kTileManager& GetTileMap() { return tileMap; }
    const Tqz41kTileManager& GetTileMap() const { return tileMap; }
    const HudTexts& GetHudTexts() const { return hudTexts; }
    Tqz41kSoundCues& GetSoundCues() { return soundCues; }

private:
    void DrawTitleTexts();
    void DrawPlayingTexts();
    void DrawEndTexts();
    std::time_t Now() const { return calendarClock(); }

    Tqz41kTileManager tileMap;
    int gameState = StateStart;
    ImageData trapImage;
    ImageData trapCoverImage;
    std::time_t runStartTime = 0;
    double elapsedSeconds = 0.0;
    int hiScore = 0;  // 0: no best time yet
    ImageData keyImage;
    ImageData startScreenImage;
    ImageData endScreenImage;
    std::time_t (*calendarClock)() = &Tqz41kMain::SystemTime;
    HudTexts hudTexts;
    Tqz41kSoundCues soundCues{this};
    bool muteKeyHeld = false;  // a held M repeats its presses: only the first counts

    static std::time_t SystemTime() { return std::time(nullptr); }
};
