#include "SoundWriter.h"

#include <sndfile.h>

#include <memory>

namespace {
// Vorbis quality 0..1: the music is soft synthesised tones, which keep well
// at a middling rate.
constexpr double kVorbisQuality = 0.4;

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

bool SoundWriter::Save(const std::vector<float>& samples, int sampleRate, const std::string& path,
                       std::string& error)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    const bool vorbis = EndsWith(path, ".ogg");
    if (vorbis)
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    else if (EndsWith(path, ".wav"))
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    else {
        error = path + ": only .wav and .ogg are written";
        return false;
    }
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (vorbis) {
        double quality = kVorbisQuality;
        sf_command(file.get(), SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
    const auto count = static_cast<sf_count_t>(samples.size());
    if (sf_writef_float(file.get(), samples.data(), count) != count) {
        error = path + ": " + sf_strerror(file.get());
        return false;
    }
    // The close finishes the last Vorbis page; its failure is a short file.
    if (sf_close(file.release()) != 0) {
        error = path + ": could not be finished";
        return false;
    }
    return true;
}
