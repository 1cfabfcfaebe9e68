#pragma once

#include <SDL.h>

#include <cstdint>

// What a sound file's headers claim: a RIFF/WAVE file's sample format and the
// size of its samples, or an Ogg Vorbis stream's identification header and its
// last page. It lets the mixer refuse a file before a decoder sees it; it
// decodes nothing, so a file whose headers read well can still fail to decode.
struct SoundHeader {
    enum class Format { Unknown, Wav, OggVorbis };

    Format format = Format::Unknown;
    // A WAV whose fmt chunk comes before its data chunk and gives plain PCM or
    // float samples of whole bytes: only then is `seconds` exact (compressed
    // encodings pack an unknown number of frames into their bytes).
    bool pcm = false;
    // Sample frames a second: a WAV's fmt chunk, an Ogg's identification header.
    uint32_t rate = 0;
    // Bytes in a WAV's data chunk as its header claims, and the sound's length
    // they make; both 0 unless pcm.
    uint64_t dataBytes = 0;
    double seconds = 0.0;
    // The file holds all its headers promise: a WAV's whole data chunk; an
    // Ogg's last page whole and marked as the end of the stream. False for an
    // unknown format.
    bool complete = false;

    // Reads from the stream's start; the stream must be able to seek and tell
    // its size. The position is left anywhere. A null stream is Unknown.
    static SoundHeader Read(SDL_RWops* source);
};
