#pragma once

#include "SoundScore.h"

#include <vector>

// Renders a SoundScore to mono samples: each note an oscillator (square,
// triangle or noise) with a pitch slide, shaped by its voice's envelope and
// low-pass, summed, then scaled so the loudest sample is the score's peak.
// A looped score's ringing notes wrap to the start, so the last sample leads
// into the first as smoothly as any two neighbours. It writes no files.
class Synthesiser {
public:
    static constexpr int kSampleRate = 44100;

    // The frames a score renders to: a loop exactly its beats long, anything
    // else until its last release ends.
    static size_t FrameCount(const SoundScore& score);
    // Samples in -peak..peak; the same score always gives the same samples.
    static std::vector<float> Render(const SoundScore& score);
};
