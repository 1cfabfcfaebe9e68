#pragma once

#include "GameAssets.h"

#include <array>
#include <cstddef>

// The game's sound files by what they are for, loaded from the working folder
// and asked for by these same names. The files are named once, in the asset
// list (data/assets.cmake).
namespace Tqz41kSoundFiles {
constexpr const char* RunStart = GameAssets::kRunStartSound.file;
constexpr const char* KeyTaken = GameAssets::kKeyTakenSound.file;
constexpr const char* ChestUnlock = GameAssets::kChestUnlockSound.file;  // the last key
constexpr const char* TrapHit = GameAssets::kTrapHitSound.file;
constexpr const char* GhostHome = GameAssets::kGhostHomeSound.file;
constexpr const char* RunWon = GameAssets::kRunWonSound.file;
constexpr const char* TrapSlam = GameAssets::kTrapSlamSound.file;
constexpr const char* Music = GameAssets::kMusicSound.file;  // the title and the run

// Every sound of the asset list.
constexpr std::array<const char*, GameAssets::kSounds.size()> All = [] {
    std::array<const char*, GameAssets::kSounds.size()> files{};
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = GameAssets::kSounds[i].file;
    return files;
}();
}  // namespace Tqz41kSoundFiles
