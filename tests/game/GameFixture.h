#pragma once

#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <string_view>

// Runs each game test in a fresh temporary folder (the game reads and writes
// its files in the working folder), with a calendar clock the test sets.
class GameFixture : public ::testing::Test {
protected:
    // Sky everywhere, the closed chest top right, grass in rows 1 and 10.
    static const char* const kLevel;

    void SetUp() override;
    void TearDown() override;

    static void WriteFile(const char* name, std::string_view bytes);
    static std::string ReadFile(const char* name);
    static bool Exists(const char* name);

    // Builds and initialises the game on the dummy driver (no font by default).
    Tqz41kMain& Open(const char* fontName = "");
    // Writes the level, opens the game and starts a run.
    Tqz41kMain& Begin(std::string_view level = kLevel);
    // One engine pass, 15 ms after the last: one update tick, one frame.
    void Pass();
    // Starts a run, renders a frame after the given seconds, then lets the
    // player walk under the open chest in the next pass.
    void WinRunAfter(int seconds);

    Tqz41kPlayer& Player();
    template <typename T>
    T& Object(int slot) { return dynamic_cast<T&>(*game->GetDisplayableObject(slot)); }
    void Place(int x, int y, int keysLeft = Tqz41kPlayer::KeysToFind, bool ghost = false);

    static std::time_t clockNow;
    static std::time_t Clock() { return clockNow; }

    std::unique_ptr<Tqz41kMain> game;
    int now = 0;

private:
    std::string previousFolder;
    std::string folder;
};
