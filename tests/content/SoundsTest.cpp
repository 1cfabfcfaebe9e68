// The sound files as the build makes them and the game loads them, and the
// generator's parts on their own.

#include "AudioMixer.h"
#include "SoundScore.h"
#include "Synthesiser.h"
#include "Tqz41kSoundFiles.h"

#include <gtest/gtest.h>
#include <sndfile.hh>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {
namespace Files = Tqz41kSoundFiles;

double Peak(const std::vector<float>& samples)
{
    double peak = 0.0;
    for (float sample : samples)
        peak = std::max(peak, static_cast<double>(std::fabs(sample)));
    return peak;
}
}  // namespace

TEST(Sounds, DecodeAndLoadAtTheirScoresLengthAndPeakAndTheMusicLoopsSmoothly)
{
    AudioMixer mixer;
    ASSERT_TRUE(mixer.Open()) << "SDL's dummy audio device";
    double together = 0.0;  // the music's peak, then the loudest effects' added
    std::vector<double> effects;
    for (const std::string file : Files::All) {
        SCOPED_TRACE(file);
        const bool music = file == Files::Music;
        SoundScore score;
        std::string error;
        const std::string source = VAULTRUN_SOURCE_DIR "/data/sound/" + file.substr(0, file.rfind('.')) + ".txt";
        ASSERT_TRUE(score.Load(source, error)) << error;
        const std::string path = VAULTRUN_BINARY_DIR "/data/" + file;
        SndfileHandle sound(path);
        EXPECT_EQ(sound.format() & SF_FORMAT_TYPEMASK, music ? SF_FORMAT_OGG : SF_FORMAT_WAV);
        EXPECT_EQ(sound.samplerate(), AudioMixer::kSampleRate);
        ASSERT_EQ(sound.channels(), 1);
        EXPECT_EQ(static_cast<size_t>(sound.frames()), Synthesiser::FrameCount(score));
        std::vector<float> samples(static_cast<size_t>(sound.frames()));
        ASSERT_EQ(sound.readf(samples.data(), sound.frames()), sound.frames());
        const double peak = Peak(samples);
        // Vorbis is lossy: its peak may stray by a few hundredths; PCM by a 16-bit step.
        EXPECT_NEAR(peak, score.peak, music ? 0.03 : 1.0 / 32768);
        if (music) {
            together = peak;
            EXPECT_TRUE(score.loop);
            EXPECT_GE(sound.frames(), 20 * AudioMixer::kSampleRate);
            std::vector<double> steps;
            for (size_t i = 1; i < samples.size(); ++i)
                steps.push_back(std::fabs(samples[i] - samples[i - 1]));
            std::sort(steps.begin(), steps.end());
            EXPECT_LE(std::fabs(samples.front() - samples.back()), steps[steps.size() * 99 / 100])
                << "the seam steps further than 99 % of the steps inside";
        } else {
            effects.push_back(peak);
        }
        EXPECT_TRUE(music ? mixer.LoadLoop(file.c_str(), path.c_str()) : mixer.LoadSound(file.c_str(), path.c_str()));
    }
    std::sort(effects.rbegin(), effects.rend());
    ASSERT_GE(effects.size(), static_cast<size_t>(AudioMixer::kEffectChannels));
    for (int i = 0; i < AudioMixer::kEffectChannels; ++i)
        together += effects[i];
    EXPECT_LT(together, 1.0) << "the loop with the loudest effects at their peaks together";
}

// Pitch names count semitones from A4 = 69. Two beats at 60 per minute render
// one note, then one that rings past the end: wrapped to the start in a loop.
TEST(Synthesiser, ReadsPitchNamesRendersToItsPeakAndLengthAndWrapsALoopsRingingNotes)
{
    const std::pair<const char*, int> pitches[] = {
        {"A4", 69}, {"C4", 60}, {"C#5", 73}, {"Bb1", 34}, {"c0", 12}, {"B9", 131},
        {"H4", -1}, {"C", -1},  {"C10", -1}, {"C#", -1},  {"Cb-1", -1}, {"", -1}};
    for (const auto& [name, pitch] : pitches)
        EXPECT_EQ(SoundScore::ParsePitch(name), pitch) << name;

    const char* text = "tempo 60\npeak 0.5\nvoice v\nwave triangle\n"
                       "envelope 0.01 0 1 0.5\nnotes C4:1 # comment\nnotes C#4:1\n";
    SoundScore score;
    std::string error;
    ASSERT_TRUE(score.Parse(text, "t", error)) << error;
    const std::vector<float> once = Synthesiser::Render(score);
    EXPECT_EQ(once.size(), static_cast<size_t>(2.5 * Synthesiser::kSampleRate));
    EXPECT_NEAR(Peak(once), 0.5, 1e-6);
    EXPECT_EQ(once, Synthesiser::Render(score)) << "the same score gives the same samples";
    EXPECT_EQ(once.front(), 0.0f) << "a note starts from silence";

    ASSERT_TRUE(score.Parse(std::string("loop\n") + text, "t", error)) << error;
    const std::vector<float> looped = Synthesiser::Render(score);
    EXPECT_EQ(looped.size(), static_cast<size_t>(2 * Synthesiser::kSampleRate));
    EXPECT_NE(looped.front(), 0.0f) << "the second note's release carries over the seam";
}
