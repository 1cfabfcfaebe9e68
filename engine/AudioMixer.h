#pragma once

#include <SDL_mixer.h>

#include <memory>
#include <string>
#include <vector>

// Plays a game's sounds through SDL2_mixer: a few short effects at once over
// one looping background track. Effects are decoded whole when they are
// loaded, so none is decoded while the game plays; the loop streams from its
// file, in the same small memory however long it is. Only WAV and Ogg Vorbis
// files are taken, told from their headers before any decoding. It knows no
// sound of any game: a game loads its files under names and asks for them by
// name. Without an audio device it stays silent, and the game goes on as before.
class AudioMixer {
public:
    static constexpr int kSampleRate = 44100;
    // Sample frames per buffer: 11.6 ms, so an effect starts within one update.
    static constexpr int kBufferFrames = 512;
    // Effects that may sound at once; a sound's files leave headroom for this
    // many over the loop, so that the sum never clips.
    static constexpr int kEffectChannels = 3;
    // Effects are short: the longest file LoadSound takes, in seconds.
    static constexpr double kLongestEffectSeconds = 5.0;

    AudioMixer() = default;
    virtual ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // Opens the audio device. False when there is none (no device, no driver,
    // no server), with one line on standard error; the mixer then stays silent.
    bool Open();
    // Frees every sound and closes the device; nothing when it is not open.
    void Close();
    bool IsOpen() const { return open; }

    // Decodes an effect, a plain PCM WAV file of at most kLongestEffectSeconds,
    // into memory under `name`. False, with one line on standard error naming
    // the file, for one that is missing, not a plain file, of another format,
    // too long, cut short or damaged: only that sound is left out. False and
    // silent while not open.
    bool LoadSound(const char* name, const char* file);
    // Opens a loop, a plain PCM WAV or an Ogg Vorbis file of any length, to be
    // streamed from the file while it plays; refused as LoadSound refuses.
    bool LoadLoop(const char* name, const char* file);
    // The same two, put off until LoadQueued: a game's start-up shows its
    // first frame before any file is read. Nothing while not open.
    void QueueSound(const char* name, const char* file);
    void QueueLoop(const char* name, const char* file);
    // Loads every queued sound, then starts the loop asked for meanwhile.
    // Stops early, leaving the rest queued, once the window is asked to close.
    // Nothing when the queue is empty.
    void LoadQueued();

    // An effect on a free channel; when all are busy the oldest makes way.
    // Nothing while muted; an unknown name plays nothing.
    void Play(const char* name);
    // The background loop, repeated seamlessly until stopped; replaces another
    // loop, leaves the same one running. While muted it is only remembered.
    void PlayLoop(const char* name);
    void StopLoop();

    // Muting stops every sound at once; unmuting starts the loop again.
    void SetMuted(bool mute);
    bool IsMuted() const { return muted; }
    // Pausing holds every sound where it is, a sound started meanwhile too;
    // resuming lets them all go on from there.
    void SetPaused(bool pause);

protected:
    // Every request that muting lets through ends here: it starts the sound
    // (an effect, or with `loop` a loop) when the device is open and the sound
    // loaded. Tests listen here.
    virtual void Start(const char* name, bool loop);

private:
    struct ChunkFree {
        void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
    };
    struct MusicFree {
        void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
    };
    // A loaded sound or loop, under the name the game plays it by.
    template <typename Resource>
    struct Named {
        std::string name;
        Resource resource;
    };
    using Sound = Named<std::unique_ptr<Mix_Chunk, ChunkFree>>;
    using Loop = Named<std::unique_ptr<Mix_Music, MusicFree>>;

    struct Queued {
        std::string name;
        std::string file;
        bool loop = false;
    };

    Mix_Chunk* FindSound(const char* name) const;
    Mix_Music* FindLoop(const char* name) const;
    void StartEffect(Mix_Chunk* chunk);
    void StartLoop(Mix_Music* music);

    std::vector<Sound> sounds;
    std::vector<Loop> loops;
    std::vector<Queued> queued;
    std::string loopName;  // the loop asked for, kept while muted
    bool open = false;
    bool muted = false;
    bool paused = false;
};
