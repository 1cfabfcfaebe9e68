#pragma once

#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"
#include "TestFiles.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Each game test runs in a fresh temporary folder (the game's files live in the
// working folder), on an engine clock that the test sets pass by pass.
class GameFixture : public ::testing::Test {
protected:
    // Sky with the closed chest top right, grass in rows 1 and 10, a ladder in
    // column 2 in rows 5 to 8, and code 0 at the left of row 3.
    static const char* const kLevel;

    void SetUp() override;
    void TearDown() override;

    static void WriteFile(const char* name, std::string_view bytes) { std::ofstream(name, std::ios::binary) << bytes; }
    static std::string ShippedLevel() { return ReadBytes(VAULTRUN_SOURCE_DIR "/data/level1.txt"); }
    // Saves' temporary files left in the folder ("Score.txt.XXXXXX" and the like).
    static std::vector<std::string> Temporaries();
    static Uint32 Pixel(const SDL_Surface* surface, int x, int y)
    {
        return static_cast<const Uint32*>(surface->pixels)[y * surface->pitch / 4 + x];
    }

    // The game on the dummy driver, in the title state, silent unless `mixer`
    // holds one for it. A level without data leaves the folder's level1.txt.
    Tqz41kMain& Open(std::string_view level = kLevel, const char* font = "");
    void Begin(std::string_view level = kLevel) { Open(level).StartRun(); }
    // One engine pass 15 ms after the last: one update tick, one frame.
    void Pass() { game->RunPass(now += 15); }
    void Passes(int count) { while (count-- > 0) Pass(); }
    // Passes over this many seconds of the engine clock, ending with one.
    void Wait(int seconds) { now += seconds * 1000 - 15; Pass(); }
    // A run rendered after `seconds`, then won by walking under the open chest.
    void WinRunAfter(int seconds);

    template <typename T>
    T& Object(int slot) { return dynamic_cast<T&>(*game->GetDisplayableObject(slot)); }
    Tqz41kPlayer& Player() { return Object<Tqz41kPlayer>(0); }
    void Place(int x, int y, int keysLeft = 5, bool ghost = false)
    {
        Player().SetState({x, y, false, ghost, keysLeft});
    }
    // Player updates only, with the given key (0 for none) held alone.
    void Ticks(int count, int heldKey = 0);

    std::unique_ptr<AudioMixer> mixer;
    std::unique_ptr<Tqz41kMain> game;
    int now = 0;  // engine clock in ms

private:
    std::string previousFolder;
    std::string folder;
};
