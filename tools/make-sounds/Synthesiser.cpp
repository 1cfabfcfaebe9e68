#include "Synthesiser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
constexpr double kSecondsPerMinute = 60.0;
constexpr double kA4Hz = 440.0;
constexpr int kA4 = 69;
constexpr double kSemitonesPerOctave = 12.0;
constexpr int kNoiseStepsPerPeriod = 4;  // a noise voice's pitch sets how fast its level changes

double SecondsPerBeat(const SoundScore& score)
{
    return kSecondsPerMinute / score.tempo;
}

double Frequency(double pitch)
{
    return kA4Hz * std::pow(2.0, (pitch - kA4) / kSemitonesPerOctave);
}

// The envelope at t seconds into a note whose key is held for `gate` seconds.
double Envelope(const SoundScore::Voice& voice, double t, double gate)
{
    const auto held = [&voice](double at) {
        if (at < voice.attack)
            return at / voice.attack;
        if (at < voice.attack + voice.decay)
            return 1.0 - (1.0 - voice.sustain) * (at - voice.attack) / voice.decay;
        return voice.sustain;
    };
    if (t < gate)
        return held(t);
    return held(gate) * std::max(0.0, 1.0 - (t - gate) / voice.release);
}

// xorshift32: repeatable noise, the same on every machine.
uint32_t NextNoise(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void RenderNote(const SoundScore::Voice& voice, const SoundScore::Note& note, double beatSeconds,
                uint32_t noiseSeed, std::vector<double>& mix, bool wrap)
{
    const double rate = Synthesiser::kSampleRate;
    const double gate = note.beats * beatSeconds;
    const auto first = static_cast<size_t>(std::llround(note.startBeat * beatSeconds * rate));
    const auto frames = static_cast<size_t>(std::ceil((gate + voice.release) * rate));
    double phase = 0.0;
    double smoothed = 0.0;
    double noiseLevel = 0.0;
    uint32_t noise = noiseSeed;
    for (size_t i = 0; i < frames; ++i) {
        const double t = i / rate;
        const double slide = std::min(1.0, t / gate);
        const double hz = Frequency(note.pitch + (note.slideTo - note.pitch) * slide);
        double wave = 0.0;
        switch (voice.wave) {
        case SoundScore::Wave::Square:
            wave = phase < voice.duty ? 1.0 : -1.0;
            break;
        case SoundScore::Wave::Triangle:
            wave = 4.0 * std::fabs(phase - 0.5) - 1.0;
            break;
        case SoundScore::Wave::Noise:
            wave = noiseLevel;
            break;
        }
        const double step = hz / rate;
        const double noiseStep = std::min(1.0, step * kNoiseStepsPerPeriod);
        if (voice.wave == SoundScore::Wave::Noise) {
            // A new random level each time the faster phase wraps.
            phase += noiseStep;
            if (phase >= 1.0 || i == 0)
                noiseLevel = static_cast<double>(NextNoise(noise)) / UINT32_MAX * 2.0 - 1.0;
        } else {
            phase += step;
        }
        phase -= std::floor(phase);
        smoothed += (1.0 - voice.soften) * (wave - smoothed);
        const size_t at = first + i;
        if (!wrap && at >= mix.size())
            break;
        mix[at % mix.size()] += smoothed * Envelope(voice, t, gate) * voice.level;
    }
}
}  // namespace

size_t Synthesiser::FrameCount(const SoundScore& score)
{
    const double beatSeconds = SecondsPerBeat(score);
    if (score.loop)
        return static_cast<size_t>(
            std::llround(score.voices.front().lengthBeats * beatSeconds * kSampleRate));
    double end = 0.0;
    for (const SoundScore::Voice& voice : score.voices) {
        for (const SoundScore::Note& note : voice.notes)
            end = std::max(end, (note.startBeat + note.beats) * beatSeconds + voice.release);
    }
    return static_cast<size_t>(std::ceil(end * kSampleRate));
}

std::vector<float> Synthesiser::Render(const SoundScore& score)
{
    std::vector<double> mix(std::max<size_t>(1, FrameCount(score)), 0.0);
    const double beatSeconds = SecondsPerBeat(score);
    uint32_t seed = 0x9E3779B9u;
    for (const SoundScore::Voice& voice : score.voices) {
        for (const SoundScore::Note& note : voice.notes)
            RenderNote(voice, note, beatSeconds, (seed += 0x6D2B79F5u) | 1u, mix, score.loop);
    }
    double loudest = 0.0;
    for (double sample : mix)
        loudest = std::max(loudest, std::fabs(sample));
    const double scale = loudest > 0.0 ? score.peak / loudest : 0.0;
    std::vector<float> samples(mix.size());
    std::transform(mix.begin(), mix.end(), samples.begin(),
                   [scale](double sample) { return static_cast<float>(sample * scale); });
    return samples;
}
