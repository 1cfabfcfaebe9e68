#pragma once

#include <string>

// A fresh temporary working folder holding what the game reads at run time:
// the shipped level1.txt from the source tree, and the pictures and font of the
// built data folder. The game runs in it as it runs in its data folder; the
// folder and everything the game wrote there go when this does.
class PlayFolder {
public:
    PlayFolder();
    ~PlayFolder();
    PlayFolder(const PlayFolder&) = delete;
    PlayFolder& operator=(const PlayFolder&) = delete;

    // False when the folder could not be made or the level could not be copied.
    bool IsReady() const { return ready; }

    static constexpr const char* kFontName = "Cornerstone Regular.ttf";

private:
    std::string previousFolder;
    std::string folder;
    bool ready = false;
};
