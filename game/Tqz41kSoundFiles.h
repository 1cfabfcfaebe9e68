#pragma once

// The game's sound files, loaded from the working folder and asked for by
// these same names. The build makes them from data/sound/<stem>.txt and lists
// them again in data/CMakeLists.txt (VAULTRUN_SOUNDS).
namespace Tqz41kSoundFiles {
constexpr const char* RunStart = "runStart.wav";
constexpr const char* KeyTaken = "keyTaken.wav";
constexpr const char* ChestUnlock = "chestUnlock.wav";  // the last key
constexpr const char* TrapHit = "trapHit.wav";
constexpr const char* GhostHome = "ghostHome.wav";
constexpr const char* RunWon = "runWon.wav";
constexpr const char* TrapSlam = "trapSlam.wav";
constexpr const char* Music = "music.ogg";  // the title and the run

constexpr const char* All[] = {RunStart, KeyTaken, ChestUnlock, TrapHit,
                               GhostHome, RunWon,   TrapSlam,    Music};
}  // namespace Tqz41kSoundFiles
