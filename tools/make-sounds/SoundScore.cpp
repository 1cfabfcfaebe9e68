#include "SoundScore.h"

#include "TextFile.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {
constexpr int kSemitonesPerOctave = 12;
constexpr int kOctaveZeroC = 12;  // MIDI number of C0
constexpr int kLowestOctave = 0;
constexpr int kHighestOctave = 9;
constexpr int kMaxRepeats = 64;
// Longer than anything the game plays; stops a typo from filling the disk.
constexpr double kMaxBeats = 1024.0;
constexpr double kMaxSeconds = 10.0;

std::string Where(const std::string& name, int lineNumber)
{
    return name + ":" + std::to_string(lineNumber) + ": ";
}

// A whole-token number; false for trailing rubbish or nothing.
bool ReadNumber(const std::string& token, double& value)
{
    if (token.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return end && *end == '\0';
}

// A comment starts at a '#' that begins a word; the sharp in C#5 is none.
size_t CommentStart(const std::string& line)
{
    for (size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '#' && (at == 0 || std::isspace(static_cast<unsigned char>(line[at - 1]))))
            return at;
    }
    return line.size();
}

bool InRange(double value, double low, double high)
{
    return value >= low && value <= high;
}
}  // namespace

int SoundScore::ParsePitch(const std::string& text)
{
    static constexpr int kLetterOffsets[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (text.size() < 2)
        return -1;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (letter < 'A' || letter > 'G')
        return -1;
    int semitone = kLetterOffsets[letter - 'A'];
    size_t at = 1;
    if (text[at] == '#') {
        ++semitone;
        ++at;
    } else if (text[at] == 'b') {
        --semitone;
        ++at;
    }
    if (at + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
        return -1;
    const int octave = text[at] - '0';
    if (octave < kLowestOctave || octave > kHighestOctave)
        return -1;
    return kOctaveZeroC + octave * kSemitonesPerOctave + semitone;
}

bool SoundScore::Parse(const std::string& text, const std::string& name, std::string& error)
{
    *this = SoundScore();
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    const auto fail = [&](const std::string& what) {
        error = Where(name, lineNumber) + what;
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNumber;
        line.erase(CommentStart(line));
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        if (words.empty())
            continue;
        const std::string& key = words[0];
        const size_t count = words.size() - 1;
        std::vector<double> numbers;
        if (key != "voice" && key != "wave" && key != "notes") {
            for (size_t i = 1; i < words.size(); ++i) {
                double value = 0.0;
                if (!ReadNumber(words[i], value))
                    return fail("'" + words[i] + "' is not a number");
                numbers.push_back(value);
            }
        }

        if (key == "tempo") {
            if (count != 1 || !InRange(numbers[0], 20.0, 600.0))
                return fail("tempo takes beats per minute, 20 to 600");
            tempo = numbers[0];
        } else if (key == "peak") {
            if (count != 1 || !(numbers[0] > 0.0 && numbers[0] < 1.0))
                return fail("peak takes a fraction of full scale above 0 and below 1");
            peak = numbers[0];
        } else if (key == "loop") {
            if (count != 0)
                return fail("loop takes nothing");
            loop = true;
        } else if (key == "voice") {
            if (count != 1)
                return fail("voice takes one name");
            voices.emplace_back();
            voices.back().name = words[1];
        } else if (voices.empty()) {
            return fail("'" + key + "' belongs to a voice: start one with 'voice NAME'");
        } else if (key == "wave") {
            Voice& voice = voices.back();
            if (count == 2 && words[1] == "square") {
                double duty = 0.0;
                if (!ReadNumber(words[2], duty) || !(duty > 0.0 && duty < 1.0))
                    return fail("a square's duty lies between 0 and 1");
                voice.wave = Wave::Square;
                voice.duty = duty;
            } else if (count == 1 && words[1] == "triangle") {
                voice.wave = Wave::Triangle;
            } else if (count == 1 && words[1] == "noise") {
                voice.wave = Wave::Noise;
            } else {
                return fail("wave is 'square DUTY', 'triangle' or 'noise'");
            }
        } else if (key == "envelope") {
            Voice& voice = voices.back();
            if (count != 4 || !InRange(numbers[0], 0.001, kMaxSeconds) ||
                !InRange(numbers[1], 0.0, kMaxSeconds) || !InRange(numbers[2], 0.0, 1.0) ||
                !InRange(numbers[3], 0.001, kMaxSeconds))
                return fail("envelope takes attack (from 0.001 s), decay, sustain (0 to 1) "
                            "and release (from 0.001 s)");
            voice.attack = numbers[0];
            voice.decay = numbers[1];
            voice.sustain = numbers[2];
            voice.release = numbers[3];
        } else if (key == "level") {
            if (count != 1 || !InRange(numbers[0], 0.0, 1.0))
                return fail("level takes 0 to 1");
            voices.back().level = numbers[0];
        } else if (key == "soften") {
            if (count != 1 || !(numbers[0] >= 0.0 && numbers[0] < 1.0))
                return fail("soften takes 0 up to, not including, 1");
            voices.back().soften = numbers[0];
        } else if (key == "notes") {
            Voice& voice = voices.back();
            size_t first = 1;
            int repeats = 1;
            if (count >= 1 && words[1][0] == '*') {
                double value = 0.0;
                if (!ReadNumber(words[1].substr(1), value) || value != static_cast<int>(value) ||
                    !InRange(value, 1, kMaxRepeats))
                    return fail("a repeat is *N with N from 1 to 64");
                repeats = static_cast<int>(value);
                first = 2;
            }
            for (int round = 0; round < repeats; ++round) {
                for (size_t i = first; i < words.size(); ++i) {
                    const std::string& token = words[i];
                    const size_t colon = token.find(':');
                    double beats = 0.0;
                    if (colon == std::string::npos || !ReadNumber(token.substr(colon + 1), beats) ||
                        !(beats > 0.0))
                        return fail("'" + token + "' is not PITCH:BEATS with BEATS above 0");
                    const std::string sound = token.substr(0, colon);
                    if (sound != "r") {
                        const size_t arrow = sound.find('>');
                        Note note;
                        note.startBeat = voice.lengthBeats;
                        note.beats = beats;
                        note.pitch = ParsePitch(sound.substr(0, arrow));
                        note.slideTo = arrow == std::string::npos
                                           ? note.pitch
                                           : ParsePitch(sound.substr(arrow + 1));
                        if (note.pitch < 0 || note.slideTo < 0)
                            return fail("'" + sound + "' is not a pitch such as C4, F#3 or Bb5");
                        voice.notes.push_back(note);
                    }
                    voice.lengthBeats += beats;
                    if (voice.lengthBeats > kMaxBeats)
                        return fail("a voice may last at most 1024 beats");
                }
            }
        } else {
            return fail("unknown setting '" + key + "'");
        }
    }
    if (peak <= 0.0)
        return fail("no peak: say how loud the sound is at its loudest");
    if (voices.empty())
        return fail("no voice");
    for (const Voice& voice : voices) {
        if (voice.notes.empty())
            return fail("voice " + voice.name + " plays no note");
        if (loop && voice.lengthBeats != voices.front().lengthBeats)
            return fail("in a loop every voice lasts as long as the first; " + voice.name +
                        " does not");
    }
    return true;
}

bool SoundScore::Load(const std::string& path, std::string& error)
{
    std::string text;
    return ReadTextFile(path, text, error) && Parse(text, path, error);
}
