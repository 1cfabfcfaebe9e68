#pragma once

#include <string_view>

// The player's settings kept between plays in a small text file beside the
// best time, one per line: whether the sound is on ("sound off" or "sound
// on") and whether the best run's ghost is shown ("ghost off", written only
// when it is off, so a file with the ghost on reads as before it existed).
// It never reads or writes the score file.
class Tqz41kSettings {
public:
    static constexpr const char* FileName = "Settings.txt";

    struct Values {
        bool soundOn = true;
        bool ghostOn = true;
    };

    // Each setting on unless a line of the file turns it off: a missing,
    // unreadable or damaged file means everything on.
    static Values Read(const char* path = FileName);
    static bool ReadSoundOn(const char* path = FileName) { return Read(path).soundOn; }
    // Replace the file, the other setting kept as read, atomically
    // (AtomicFile), so a failure keeps the old
    // file; false with one line on standard error when it cannot be saved.
    static bool WriteSoundOn(bool on, const char* path = FileName);
    static bool WriteGhostOn(bool on, const char* path = FileName);
    // The file's text read as the settings: lines trimmed of white space.
    static Values Parse(std::string_view text);

private:
    static bool Write(const Values& values, const char* what, const char* path);
};
