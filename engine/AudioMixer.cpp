#include "AudioMixer.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if !defined(__EMSCRIPTEN__) && !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#define VAULTRUN_CAN_HUSH_STDERR 1
#endif

namespace {
constexpr int kLoopChannel = 0;  // reserved: effects never take it
constexpr int kEffectGroup = 1;
constexpr int kOutputChannels = 2;
constexpr int kForever = -1;

// Holds standard error shut while a sound library probes for a device: on a
// machine without one, ALSA writes a screen of its own errors there, and the
// game's one line says all a player needs.
class HushedStandardError {
public:
    HushedStandardError()
    {
#ifdef VAULTRUN_CAN_HUSH_STDERR
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int sink = open("/dev/null", O_WRONLY);
        if (saved >= 0 && sink >= 0)
            dup2(sink, STDERR_FILENO);
        if (sink >= 0)
            close(sink);
#endif
    }
    ~HushedStandardError()
    {
#ifdef VAULTRUN_CAN_HUSH_STDERR
        if (saved >= 0) {
            std::fflush(stderr);
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
#endif
    }
    HushedStandardError(const HushedStandardError&) = delete;
    HushedStandardError& operator=(const HushedStandardError&) = delete;

private:
    int saved = -1;
};
}  // namespace

AudioMixer::~AudioMixer()
{
    Close();
}

bool AudioMixer::Open()
{
    if (open)
        return true;
    bool started = false;
    {
        HushedStandardError hush;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            started = Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, kOutputChannels, kBufferFrames) == 0;
            if (!started)
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    if (!started) {
        std::fprintf(stderr, "Playing without sound: no audio device could be opened (%s)\n",
                     SDL_GetError());
        return false;
    }
    // A WAV file shorter than its header says is damaged: left out, not
    // played as far as it goes.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    // Ogg Vorbis may come from a decoder loaded on demand; WAV needs none.
    Mix_Init(MIX_INIT_OGG);
    Mix_AllocateChannels(1 + kEffectChannels);
    Mix_ReserveChannels(1);
    Mix_GroupChannels(kLoopChannel + 1, kEffectChannels, kEffectGroup);
    open = true;
    return true;
}

void AudioMixer::Close()
{
    if (!open)
        return;
    Mix_HaltChannel(-1);
    sounds.clear();
    queued.clear();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open = false;
}

bool AudioMixer::LoadSound(const char* name, const char* file)
{
    if (!open)
        return false;
    // Only a plain file: opening a named pipe would wait for a writer forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        std::fprintf(stderr, "Sound %s left out: not a readable file\n", file);
        return false;
    }
    // Decoded to the device's format here, once: playing only copies samples.
    std::unique_ptr<Mix_Chunk, ChunkFree> chunk(Mix_LoadWAV(file));
    if (!chunk || chunk->alen == 0) {
        std::fprintf(stderr, "Sound %s left out: %s\n", file,
                     chunk ? "it holds no samples" : Mix_GetError());
        return false;
    }
    for (Sound& sound : sounds) {
        if (sound.name == name) {
            sound.chunk = std::move(chunk);
            return true;
        }
    }
    sounds.push_back(Sound{name, std::move(chunk)});
    return true;
}

void AudioMixer::QueueSound(const char* name, const char* file)
{
    if (open)
        queued.push_back(Queued{name, file});
}

void AudioMixer::LoadQueued()
{
    if (queued.empty())
        return;
    for (const Queued& sound : queued)
        LoadSound(sound.name.c_str(), sound.file.c_str());
    queued.clear();
    queued.shrink_to_fit();
    // The loop was asked for before it could sound: not a new request.
    if (!muted && !loopName.empty() && !Mix_Playing(kLoopChannel))
        StartChunk(Find(loopName.c_str()), true);
}

Mix_Chunk* AudioMixer::Find(const char* name) const
{
    for (const Sound& sound : sounds) {
        if (sound.name == name)
            return sound.chunk.get();
    }
    return nullptr;
}

void AudioMixer::Play(const char* name)
{
    if (!muted)
        Start(name, false);
}

void AudioMixer::PlayLoop(const char* name)
{
    // The same loop is playing, muted, waiting to be loaded or unplayable:
    // asking again changes nothing.
    if (loopName == name)
        return;
    loopName = name;
    if (!muted)
        Start(name, true);
}

void AudioMixer::StopLoop()
{
    loopName.clear();
    if (open)
        Mix_HaltChannel(kLoopChannel);
}

void AudioMixer::SetMuted(bool mute)
{
    if (mute == muted)
        return;
    muted = mute;
    if (muted) {
        if (open)
            Mix_HaltChannel(-1);
    } else if (!loopName.empty()) {
        Start(loopName.c_str(), true);
    }
}

void AudioMixer::SetPaused(bool pause)
{
    paused = pause;
    if (!open)
        return;
    if (paused)
        Mix_Pause(-1);
    else
        Mix_Resume(-1);
}

void AudioMixer::Start(const char* name, bool loop)
{
    if (open)
        StartChunk(Find(name), loop);
}

void AudioMixer::StartChunk(Mix_Chunk* chunk, bool loop)
{
    if (!chunk)
        return;
    int channel = kLoopChannel;
    if (!loop) {
        channel = Mix_GroupAvailable(kEffectGroup);
        if (channel < 0) {
            channel = Mix_GroupOldest(kEffectGroup);
            Mix_HaltChannel(channel);
        }
    }
    Mix_PlayChannel(channel, chunk, loop ? kForever : 0);
    // Playing a channel lets it go: held again at once, it has not been heard.
    if (paused)
        Mix_Pause(channel);
}
