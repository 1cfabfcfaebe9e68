#pragma once

#include <cstdint>

// Counts the milliseconds a run is actually played. It is started, paused and
// resumed at readings of the engine's millisecond clock, which only ever runs
// forwards and wraps (differences are taken modulo 2^32), so setting the
// calendar clock cannot touch it. It reads no clock of its own.
class PlayClock {
public:
    // From zero, running.
    void Start(int now);
    // Banks the time played so far; does nothing while paused.
    void Pause(int now);
    // Counts on from now; does nothing while running.
    void Resume(int now);
    // Time played up to now. A reading before the last start or resume (a
    // clock that went backwards) adds nothing.
    int64_t ElapsedMs(int now) const;

private:
    int64_t bankedMs = 0;
    int runningSince = 0;
    bool running = false;
};
