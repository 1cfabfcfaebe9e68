#pragma once

#include "BaseEngine.h"
#include "DirectionRecord.h"
#include "ImageData.h"
#include "PlayClock.h"
#include "TextLine.h"
#include "Tqz41kBestRun.h"
#include "Tqz41kSoundCues.h"
#include "Tqz41kTileManager.h"

#include <optional>
#include <string_view>

class Tqz41kPlayer;

// The game driver: the title, playing and end screens, the run clock, pause,
// the best time kept in "Score.txt", the level map, the sixteen moving
// objects and which sound plays when. Key and button presses start runs,
// pause them and turn the sound on and off; the player reads the held
// directions itself, and the objects find each other through the object array.
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
    // A copy of the game that plays records out of sight on the given level:
    // it prints nothing, plays no sound, loads none of its screens' pictures,
    // and reads no level, score or replay file and writes none.
    explicit Tqz41kMain(const Tqz41kTileManager::Cells& unseenLevel);
    ~Tqz41kMain() override;

    // M turns the sound on or off in every state and never starts a run.
    static constexpr int MuteKey = 'm';
    // G shows or hides the best run's ghost, R on the title watches the best
    // run, Backspace starts a run again: command keys too.
    static constexpr int GhostKey = 'g';
    static constexpr int WatchKey = 'r';
    static constexpr int RestartKey = SDLK_BACKSPACE;

    // Loads the sounds, then builds the roster and the title screen, whose
    // music then starts.
    int GameInit() override;
    // Command keys first (they never start a run), then any key on the
    // title, Space on the end screen.
    void KeyDown(int keyCode) override;
    void KeyUp(int keyCode) override;
    // A or Start as Space; Start also pauses and resumes a run.
    void ControllerButtonDown(int button) override;
    // Focus lost, minimised, controller unplugged: a run pauses.
    void PlayInterrupted() override;
    // Reads the best time, then replaces every object (the caller of WinGame
    // included) with a fresh, invisible roster. Returns 17, the slots filled.
    int InitialiseObjects() override;
    // Title picture, level (read from "level1.txt") or end picture, by state.
    void SetupBackgroundBuffer() override;
    void DrawStrings() override;
    // During a run: gives the objects the tick's directions (live, recorded,
    // or the best run's while watching it), then updates them, then notes the
    // keys taken for the splits.
    void UpdateAllObjects(int time) override;
    // The ghost is erased with the objects and drawn before them.
    void AfterUndraw() override;
    void BeforeDrawObjects() override;

    // Starts the clock, loads and paints the level, shows every object.
    void StartRun();
    // Ends the run as won: closes the chest, stores a better time
    // (StoreIfBest), shows the end screen and rebuilds the roster. The object
    // that calls it is deleted inside the call.
    void WinGame();
    // Only a run pauses: nothing moves, the clock stops and the screen says
    // how to go on. Resuming redraws the whole screen.
    void Pause();
    void Resume();
    void TogglePause();
    // During a run (not while watching): the roster rebuilt as a win does and
    // a fresh run from the start, clock at zero. Otherwise nothing.
    void Restart();
    // On the title, when "Best.replay" holds a run of the level: plays it
    // through the real objects at real speed. False, and nothing happens,
    // otherwise. Its win writes nothing and goes back to the title.
    bool StartWatching();
    // Ends watching (any key does) and shows the title again.
    void StopWatching();
    bool IsWatching() const { return watching; }
    // The ghost on or off, saved in "Settings.txt".
    void ToggleGhost();
    bool IsGhostOn() const { return ghostOn; }

    // Keys that command rather than play: pause (P, Pause, Esc), mute (M),
    // ghost (G), watch (R) and restart (Backspace).
    static bool IsCommandKey(int keyCode);

    // The best time in "Score.txt", or 0 when there is none yet (missing,
    // unreadable, not a number, out of range or not above 0). Only the first
    // MiB of the file is looked at. Prints the score line.
    int ReadHiScore();
    // The same value, read without a word on the console.
    static int ReadStoredBest();
    // Replaces "Score.txt" with the whole seconds of the last frame's run time
    // as plain digits, atomically (AtomicFile): false (folder in the way, full
    // disk, file-size limit) keeps the old file and leaves no temporary file.
    // Says nothing itself; takes no lock.
    bool WriteScore();
    // What a won run did to the stored best.
    enum class BestOutcome { NotBetter, Saved, NotSaved };
    // Under the score file's lock ("Score.txt.lock"): reads the stored best
    // again, as another game in this folder may have stored a better one
    // since this one read it, and writes the last frame's run time when it is
    // above 0 and beats what is stored. NotSaved keeps the stored best and
    // prints one line on standard error. Files kept with the best time are
    // written here, under the same lock.
    BestOutcome StoreIfBest();
    // A score text read as a formatted integer: leading white space, an
    // optional sign, digits, the rest ignored. Nothing when that gives no
    // number, one outside the int range, or one not above 0.
    static std::optional<int> ParseHiScore(std::string_view bytes);

    int GetGameState() const { return gameState; }
    int GetHiScore() const { return hiScore; }
    bool HasHiScore() const { return hiScore > 0; }
    // The end screen's line about the last won run.
    const char* GetRunTimeText() const { return runTimeText; }
    Tqz41kTileManager& GetTileMap() { return tileMap; }
    const Tqz41kTileManager& GetTileMap() const { return tileMap; }
    const HudTexts& GetHudTexts() const { return hudTexts; }
    // Updates played in this run (paused time is none).
    int GetRunTicks() const { return runTicks; }
    // The directions of every update of this run so far.
    const DirectionRecord& GetRecording() const { return recording; }
    // The split shown now ("-1.2 s"), or "" when none is.
    const char* GetSplitText() const { return runTicks < splitUntilTick ? splitText : ""; }
    const Tqz41kBestRun& GetBestRun() const { return bestRun; }
    Tqz41kSoundCues& GetSoundCues() { return soundCues; }

private:
    void DrawTitleTexts();
    void DrawPlayingTexts();
    void DrawEndTexts();
    void DrawPauseNotice(const Tqz41kPlayer* player);
    void DrawSplit();
    // Beside a new best time: its run, as "Best.replay".
    void SaveBestReplay();
    bool ShowsGhost() const;
    void NoteKeysTaken();

    Tqz41kTileManager tileMap;
    int gameState = StateStart;
    ImageData trapImage;
    ImageData trapCoverImage;
    // Counts only unpaused play, on the engine's clock.
    PlayClock runClock;
    double elapsedSeconds = 0.0;
    int hiScore = 0;  // 0: no best time yet
    ImageData keyImage;
    ImageData startScreenImage;
    ImageData endScreenImage;
    HudTexts hudTexts;
    char runTimeText[384] = "";  // "%.f" of any double fits
    int heldCommandKey = 0;  // a held command key repeats: it acts once
    struct HudLines {
        TextLine keysLeft;
        TextLine time;
        TextLine hiScore;
    };
    HudLines hudLines;
    Tqz41kSoundCues soundCues{this};

    // The run being played, tick by tick, and the best one.
    DirectionRecord recording;
    int runTicks = 0;
    uint32_t levelChecksum = 0;
    Tqz41kBestRun bestRun;
    bool ghostOn = true;
    bool watching = false;
    bool unseen = false;
    Tqz41kTileManager::Cells unseenLevel{};
    // The k-th key's split shows until splitUntilTick.
    int keysNoted = 0;
    int splitUntilTick = 0;
    char splitText[32] = "";
    unsigned int splitColour = 0;
    TextLine splitLine;

};
