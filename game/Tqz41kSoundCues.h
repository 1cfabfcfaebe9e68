#pragma once

class BaseEngine;

// Which of the game's sounds plays at which moment, and the player's choice of
// sound on or off, remembered in the settings file. It decides and asks the
// engine's mixer by name; the mixer plays. Every call is safe without sound.
class Tqz41kSoundCues {
public:
    explicit Tqz41kSoundCues(BaseEngine* engine) : engine(engine) {}

    // Queues every sound file for loading after the first frame, the music as
    // the loop, and takes the remembered mute setting. Once the audio is open.
    void Load();

    void TitleShown();
    void RunStarted();
    // After a key was counted: the chest's sound for the last one.
    void KeyTaken(int keysLeft);
    void TrapHit();
    void GhostHome();
    void RunWon();
    // Every trap slams in the same update; `updateTime` plays it once for all.
    void TrapSlammed(int updateTime);

    // Sound on or off, at once, and saved for the next play.
    void ToggleMute();
    bool IsMuted() const { return muted; }

private:
    void Play(const char* name);

    BaseEngine* engine;  // lent: the engine owns the mixer and this game
    bool muted = false;
    bool slammedBefore = false;
    int lastSlamTime = 0;
};
