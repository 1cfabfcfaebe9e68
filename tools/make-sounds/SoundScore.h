#pragma once

#include <string>
#include <vector>

// One sound as written in a text source under data/sound: a tempo, a target
// peak, and voices that each play a line of notes with their own waveform,
// envelope and level. It only reads and checks text; Synthesiser renders it.
//
// The text, one setting a line (a word starting with # begins a comment):
//   tempo 132              beats per minute, for the note lengths
//   peak 0.3               the loudest sample, a fraction of full scale
//   loop                   notes that ring past the end wrap to the start
//   voice NAME             starts a voice; the lines below belong to it
//   wave square 0.25       square (with its duty), triangle or noise
//   envelope A D S R       attack, decay and release in seconds, sustain 0..1
//   level 0.7              the voice's loudness against the others
//   soften 0.5             a gentle low-pass, 0 (none) to below 1 (dull)
//   notes C5:1 r:0.5 ...   PITCH:BEATS, a slide FROM>TO:BEATS, or a rest r:BEATS;
//                          "*N" first on the line plays the line N times
class SoundScore {
public:
    enum class Wave { Square, Triangle, Noise };

    struct Note {
        double startBeat = 0.0;
        double beats = 0.0;
        int pitch = 0;      // semitones, MIDI numbering: A4 = 69
        int slideTo = 0;    // the pitch at the end of the note; pitch when none
    };

    struct Voice {
        std::string name;
        Wave wave = Wave::Square;
        double duty = 0.5;
        double attack = 0.005;  // seconds
        double decay = 0.05;
        double sustain = 0.7;
        double release = 0.05;
        double level = 1.0;
        double soften = 0.0;
        double lengthBeats = 0.0;  // the notes and rests end to end
        std::vector<Note> notes;
    };

    // False with `error` ("name:line: what") on anything malformed; `name`
    // only labels the message.
    bool Parse(const std::string& text, const std::string& name, std::string& error);
    bool Load(const std::string& path, std::string& error);

    // A pitch name (C4, F#3, Bb5) as MIDI semitones; -1 when it is not one.
    static int ParsePitch(const std::string& text);

    double tempo = 120.0;
    double peak = 0.0;
    bool loop = false;
    std::vector<Voice> voices;
};
