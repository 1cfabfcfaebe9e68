#include "AudioMixer.h"

#include "SoundHeader.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#if !defined(__EMSCRIPTEN__) && !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#define VAULTRUN_CAN_HUSH_STDERR 1
#endif

namespace {
constexpr int kAllChannels = -1;
constexpr int kOutputChannels = 2;
constexpr int kForever = -1;
// An effect's samples as stored, in bytes: five seconds of stereo 32-bit
// samples at 96 kHz fit; what a file of more would be decoded to is not held.
constexpr uint64_t kLargestEffectBytes = uint64_t{4} << 20;

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
    // The loop streams as SDL2_mixer's music, beside these.
    Mix_AllocateChannels(kEffectChannels);
    open = true;
    return true;
}

void AudioMixer::Close()
{
    if (!open)
        return;
    Mix_HaltChannel(kAllChannels);
    Mix_HaltMusic();
    sounds.clear();
    loops.clear();
    queued.clear();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open = false;
}

namespace {

// Why a file with this header is no sound of the kind asked for; null when it is one.
const char* Refusal(const SoundHeader& header, bool loop)
{
    static_assert(AudioMixer::kLongestEffectSeconds == 5.0, "the line below names the bound");
    using Format = SoundHeader::Format;
    if (header.format == Format::Unknown)
        return "not a WAV or Ogg Vorbis file";
    if (header.format == Format::Wav && !header.pcm)
        return "a WAV file of other than plain PCM samples";
    if (!header.complete)
        return "the file is cut short";
    if (loop)
        return nullptr;
    // An Ogg's length is only claimed by its pages, and its decoder goes on
    // past the claim: only a WAV's length is known before it is decoded whole.
    if (header.format != Format::Wav)
        return "an effect must be a WAV file";
    if (header.seconds > AudioMixer::kLongestEffectSeconds || header.dataBytes > kLargestEffectBytes)
        return "longer than an effect may be (5 s)";
    return nullptr;
}

// The file opened and its header found fit, at its start; null, with the
// line that says why, when it is not.
SDL_RWops* OpenChecked(const char* file, bool loop, SoundHeader& header)
{
    // Only a plain file: opening a named pipe would wait for a writer forever.
    std::error_code error;
    SDL_RWops* source = nullptr;
    if (std::filesystem::is_regular_file(file, error))
        source = SDL_RWFromFile(file, "rb");
    if (!source) {
        std::fprintf(stderr, "Sound %s left out: not a readable file\n", file);
        return nullptr;
    }
    header = SoundHeader::Read(source);
    const char* refusal = Refusal(header, loop);
    if (refusal || SDL_RWseek(source, 0, RW_SEEK_SET) != 0) {
        std::fprintf(stderr, "Sound %s left out: %s\n", file, refusal ? refusal : SDL_GetError());
        SDL_RWclose(source);
        return nullptr;
    }
    return source;
}

// Keeps the resource under its name, in place of any loaded under it before.
template <typename Entry, typename Resource>
void Store(std::vector<Entry>& entries, const char* name, Resource resource)
{
    for (Entry& entry : entries) {
        if (entry.name == name) {
            entry.resource = std::move(resource);
            return;
        }
    }
    entries.push_back(Entry{name, std::move(resource)});
}

// What is loaded under the name; null for nothing.
template <typename Entry>
auto Find(const std::vector<Entry>& entries, const char* name) -> decltype(entries.front().resource.get())
{
    for (const Entry& entry : entries) {
        if (entry.name == name)
            return entry.resource.get();
    }
    return nullptr;
}

}  // namespace

bool AudioMixer::LoadSound(const char* name, const char* file)
{
    if (!open)
        return false;
    SoundHeader header;
    SDL_RWops* source = OpenChecked(file, false, header);
    if (!source)
        return false;
    // Decoded to the device's format here, once: playing only copies samples.
    std::unique_ptr<Mix_Chunk, ChunkFree> chunk(Mix_LoadWAV_RW(source, 1));
    if (!chunk || chunk->alen == 0) {
        std::fprintf(stderr, "Sound %s left out: %s\n", file,
                     chunk ? "it holds no samples" : Mix_GetError());
        return false;
    }
    Store(sounds, name, std::move(chunk));
    return true;
}

bool AudioMixer::LoadLoop(const char* name, const char* file)
{
    if (!open)
        return false;
    SoundHeader header;
    SDL_RWops* source = OpenChecked(file, true, header);
    if (!source)
        return false;
    // Only the headers are read here; the stream keeps the file open.
    const Mix_MusicType type = header.format == SoundHeader::Format::Wav ? MUS_WAV : MUS_OGG;
    std::unique_ptr<Mix_Music, MusicFree> music(Mix_LoadMUSType_RW(source, type, 1));
    if (!music) {
        std::fprintf(stderr, "Sound %s left out: %s\n", file, Mix_GetError());
        return false;
    }
    Store(loops, name, std::move(music));
    return true;
}

void AudioMixer::QueueSound(const char* name, const char* file)
{
    if (open)
        queued.push_back(Queued{name, file, false});
}

void AudioMixer::QueueLoop(const char* name, const char* file)
{
    if (open)
        queued.push_back(Queued{name, file, true});
}

void AudioMixer::LoadQueued()
{
    if (queued.empty())
        return;
    size_t loaded = 0;
    // A close or a signal waits for no further file.
    while (loaded < queued.size() && !SDL_QuitRequested()) {
        const Queued& sound = queued[loaded++];
        if (sound.loop)
            LoadLoop(sound.name.c_str(), sound.file.c_str());
        else
            LoadSound(sound.name.c_str(), sound.file.c_str());
    }
    queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(loaded));
    if (!queued.empty())
        return;
    queued.shrink_to_fit();
    // The loop was asked for before it could sound: not a new request.
    if (!muted && !loopName.empty() && !Mix_PlayingMusic())
        StartLoop(FindLoop(loopName.c_str()));
}

Mix_Chunk* AudioMixer::FindSound(const char* name) const
{
    return Find(sounds, name);
}

Mix_Music* AudioMixer::FindLoop(const char* name) const
{
    return Find(loops, name);
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
        Mix_HaltMusic();
}

void AudioMixer::SetMuted(bool mute)
{
    if (mute == muted)
        return;
    muted = mute;
    if (muted) {
        if (open) {
            Mix_HaltChannel(kAllChannels);
            Mix_HaltMusic();
        }
    } else if (!loopName.empty()) {
        Start(loopName.c_str(), true);
    }
}

void AudioMixer::SetPaused(bool pause)
{
    paused = pause;
    if (!open)
        return;
    if (paused) {
        Mix_Pause(kAllChannels);
        Mix_PauseMusic();
    } else {
        Mix_Resume(kAllChannels);
        Mix_ResumeMusic();
    }
}

void AudioMixer::Start(const char* name, bool loop)
{
    if (!open)
        return;
    if (loop)
        StartLoop(FindLoop(name));
    else
        StartEffect(FindSound(name));
}

void AudioMixer::StartEffect(Mix_Chunk* chunk)
{
    if (!chunk)
        return;
    int channel = Mix_GroupAvailable(kAllChannels);
    if (channel < 0) {
        channel = Mix_GroupOldest(kAllChannels);
        Mix_HaltChannel(channel);
    }
    Mix_PlayChannel(channel, chunk, 0);
    // Playing a channel lets it go: held again at once, it has not been heard.
    if (paused)
        Mix_Pause(channel);
}

void AudioMixer::StartLoop(Mix_Music* music)
{
    if (!music)
        return;
    // Repeats from the start as the end is mixed: no gap at the seam.
    Mix_PlayMusic(music, kForever);
    if (paused)
        Mix_PauseMusic();
}
