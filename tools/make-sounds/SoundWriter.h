#pragma once

#include <string>
#include <vector>

// Writes mono samples through libsndfile: 16-bit WAV for a name ending in
// ".wav", Ogg Vorbis for ".ogg". It neither scales nor clips: the samples
// must already lie within full scale.
class SoundWriter {
public:
    // False with `error` for another ending or a file that cannot be written.
    static bool Save(const std::vector<float>& samples, int sampleRate, const std::string& path,
                     std::string& error);
};
