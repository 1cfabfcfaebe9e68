#pragma once

#include <string_view>

// The player's settings kept between plays in a small text file beside the
// best time: for now, whether the sound is on. It never reads or writes the
// score file.
class Tqz41kSettings {
public:
    static constexpr const char* FileName = "Settings.txt";

    // True unless the file says "sound off": a missing, unreadable or damaged
    // file means sound on.
    static bool ReadSoundOn(const char* path = FileName);
    // Replaces the file atomically (AtomicFile), so a failure keeps the old
    // file; false with one line on standard error when it cannot be saved.
    static bool WriteSoundOn(bool on, const char* path = FileName);
    // The file's text read as the sound setting.
    static bool ParseSoundOn(std::string_view text);
};
