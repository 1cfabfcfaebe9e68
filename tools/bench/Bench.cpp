// Measures what a play frame, an update tick, the heads-up texts and start-up
// cost, and in the same run the floors they are held against: one memcpy of a
// whole 800 x 600 frame, and a bare SDL program's start-up (one window, one
// present). Start-up is measured twice: inside this process (construct,
// Initialise, first pass; SDL is stopped between iterations) and as whole
// programs, the real game against a bare SDL program, each spawned and ended at
// its first presented frame. Ends with the ratios. It plays no run to the end,
// so the data folder's Score.txt is never written.
//
//   vaultrun-bench [Google Benchmark options]
// The video driver is SDL's choice when SDL_VIDEODRIVER is set (under xvfb-run:
// SDL_VIDEODRIVER=x11), otherwise the dummy driver; the audio likewise the
// dummy device unless SDL_AUDIODRIVER names another. Start-up is measured with
// sound and without it, and the mixing's CPU per update tick of play.

#include "BareFrame.h"
#include "GameAssets.h"
#include "DirectionRecord.h"
#include "Tqz41kGhost.h"
#include "Tqz41kLayout.h"
#include "Tqz41kMain.h"
#include "Tqz41kSoundFiles.h"
#include "Tqz41kTileManager.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kWidth = GameAssets::kWindowWidth;
constexpr int kHeight = GameAssets::kWindowHeight;
constexpr int kPassMs = 15;
// Into a run: the first frame's whole-screen copy is past and every text drawn.
constexpr int kWarmUpPasses = 10;
constexpr int kGhostStretchTicks = 150;  // the ghost's walk one way: 300 pixels
constexpr size_t kFastestRunTicks = 2028;  // the shipped level's, as --route finds it

// The game with its clock and the upload opened up: the frame hooks are
// public already, so "before the upload" is exactly the calls GameRender makes
// for a changes-only frame, in its order, and the upload its three SDL calls.
class BenchGame : public Tqz41kMain {
public:
    void SetClock(int ms) { tickTime = ms; }
    // The first pass up to its present: the sounds queued at start-up load
    // just after it, and are not counted.
    void PresentFirstFrame()
    {
        SetClock(0);
        GameAction();
        GameRender();
    }
    int Clock() const { return tickTime; }

    void FrameBeforeUpload()
    {
        UndrawObjects();
        AfterUndraw();
        DrawStrings();
        BeforeDrawObjects();
        DrawObjects();
        AfterDrawObjects();
    }

    // As GameRender ends a frame: upload, then the engine's present (a clear
    // where letterbox bars show, the scaled copy, the present).
    void Upload()
    {
        SDL_UpdateTexture(screenTexture.get(), nullptr, foreground->pixels, foreground->pitch);
        PresentScreenTexture();
    }

    // The window at another size, told to the engine by a pass, as the window
    // system tells it. Returns the renderer's output size as "W x H".
    std::string Resize(int width, int height, int& now)
    {
        SDL_SetWindowSize(window.get(), width, height);
        for (int pass = 0; pass < kWarmUpPasses; ++pass)
            RunPass(now += kPassMs);
        int outputWidth = 0;
        int outputHeight = 0;
        SDL_GetRendererOutputSize(renderer.get(), &outputWidth, &outputHeight);
        return std::to_string(outputWidth) + " x " + std::to_string(outputHeight);
    }

    // Ends MainLoop after the given time, through the quit event.
    void QuitAfter(Uint32 ms)
    {
        SDL_AddTimer(
            ms,
            [](Uint32, void*) -> Uint32 {
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                SDL_PushEvent(&quit);
                return 0;
            },
            nullptr);
    }

    const char* RendererName() const
    {
        SDL_RendererInfo info{};
        return SDL_GetRendererInfo(renderer.get(), &info) == 0 ? info.name : "none";
    }

    // GameRender's whole-screen branch copies the background in one block.
    void WholeScreenCopy()
    {
        std::memcpy(foreground->pixels, background->pixels,
                    static_cast<size_t>(background->pitch) * screenHeight);
    }
};

// SDL and TTF are started by Initialise; each benchmark leaves them stopped,
// so start-up always starts from nothing.
void StopLibraries()
{
    TTF_Quit();
    SDL_Quit();
}

std::unique_ptr<BenchGame> StartGame(bool withSound = true)
{
    auto game = std::make_unique<BenchGame>();
    if (!withSound)
        game->DisableAudio();
    if (game->Initialise(GameAssets::kWindowTitle, kWidth, kHeight, GameAssets::kFontFile,
                         GameAssets::kFontSize) != 0)
        return nullptr;
    return game;
}

// A run under way: started by a key event, some ticks and frames played.
std::unique_ptr<BenchGame> StartRun(benchmark::State& state)
{
    auto game = StartGame();
    if (!game) {
        state.SkipWithError("the game did not start");
        return nullptr;
    }
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&key);
    int now = 0;
    for (int pass = 0; pass < kWarmUpPasses; ++pass)
        game->RunPass(now += kPassMs);
    if (game->GetGameState() != Tqz41kMain::StatePlaying) {
        state.SkipWithError("no run started");
        return nullptr;
    }
    return game;
}

void EndRun(std::unique_ptr<BenchGame>& game)
{
    if (game)
        game->Deinitialise();
    game.reset();
    StopLibraries();
}

// With --benchmark_repetitions=N the fastest repetition is kept: on a shared
// machine the others measure the neighbours too.
double Fastest(const std::vector<double>& times)
{
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

// Start-ups: the fastest repetition, in milliseconds of wall time.
void StartUpTiming(benchmark::internal::Benchmark* timing)
{
    timing->ComputeStatistics("min", Fastest)->Unit(benchmark::kMillisecond)->UseRealTime();
}

// ---------------------------------------------------------------- floors

void BM_FloorFrameMemcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x87CEEB);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(from.size() * sizeof(uint32_t)));
}
BENCHMARK(BM_FloorFrameMemcpy)->ComputeStatistics("min", Fastest);

// What any SDL program pays to show its first frame: video, one window, the
// default renderer (as the game asks for it), one present. With a picture, the
// renderer's first textured draw too, which no program that shows a picture
// avoids.
void BareSdlStartUp(benchmark::State& state, bool withPicture)
{
    for (auto _ : state) {
        SDL_Init(SDL_INIT_VIDEO);
        SDL_Window* window = SDL_CreateWindow("Bare", 10, 40, kWidth, kHeight, 0);
        SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
        if (!renderer) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        PresentBareFrame(renderer, withPicture);

        state.PauseTiming();
        SDL_DestroyRenderer(renderer);
        SDL_DestroyWindow(window);
        SDL_Quit();
        state.ResumeTiming();
    }
}

void BM_FloorBareSdlStartUp(benchmark::State& state)
{
    BareSdlStartUp(state, false);
}
BENCHMARK(BM_FloorBareSdlStartUp)->Apply(StartUpTiming);

void BM_BareSdlStartUpShowingAPicture(benchmark::State& state)
{
    BareSdlStartUp(state, true);
}
BENCHMARK(BM_BareSdlStartUpShowingAPicture)->Apply(StartUpTiming);

// The audio driver a spawned game is given for a start-up without sound: one
// that cannot open, so no sound is opened or decoded.
constexpr const char* kNoAudioDriver = "SDL_AUDIODRIVER=no-such-driver";

// Starts a program in the current folder (the data folder) with the library
// that ends it at its first presented frame, and waits for it. False unless it
// got there and ended with status 0. Without sound, its line saying so is
// dropped with the rest of its standard error.
bool RunToFirstPresent(const char* program, const char* argument = nullptr, bool withSound = true)
{
    static const std::vector<std::string> environment = [] {
        std::vector<std::string> variables;
        for (char** variable = environ; *variable; ++variable) {
            if (std::strncmp(*variable, "LD_PRELOAD=", 11) != 0)
                variables.emplace_back(*variable);
        }
        variables.emplace_back(std::string("LD_PRELOAD=") + VAULTRUN_FIRST_PRESENT_EXIT);
        return variables;
    }();
    std::vector<char*> envp;
    for (const std::string& variable : environment) {
        if (withSound || variable.rfind("SDL_AUDIODRIVER=", 0) != 0)
            envp.push_back(const_cast<char*>(variable.c_str()));
    }
    if (!withSound)
        envp.push_back(const_cast<char*>(kNoAudioDriver));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!withSound)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whole programs, from the spawn to the first presented frame: loading the
// shared libraries is counted too.
void BM_FloorBareSdlProgram(benchmark::State& state)
{
    for (auto _ : state) {
        if (!RunToFirstPresent(VAULTRUN_BARE_PROGRAM)) {
            state.SkipWithError("the bare SDL program did not present a frame");
            break;
        }
    }
}
BENCHMARK(BM_FloorBareSdlProgram)->Apply(StartUpTiming);

void BM_BareSdlProgramShowingAPicture(benchmark::State& state)
{
    for (auto _ : state) {
        if (!RunToFirstPresent(VAULTRUN_BARE_PROGRAM, "picture")) {
            state.SkipWithError("the bare SDL program did not present its picture");
            break;
        }
    }
}
BENCHMARK(BM_BareSdlProgramShowingAPicture)->Apply(StartUpTiming);

// ---------------------------------------------------------------- the game

// Construct (five pictures, the map's four), Initialise (SDL, TTF, the audio
// unless withSound is false, the font, window, renderer, texture, surfaces, the
// roster with the player's three pictures, the title picture) and the first
// pass, which presents the title.
void StartUpToTitleFrame(benchmark::State& state, bool withSound)
{
    for (auto _ : state) {
        auto game = StartGame(withSound);
        if (!game) {
            state.SkipWithError("the game did not start");
            break;
        }
        game->PresentFirstFrame();

        state.PauseTiming();
        EndRun(game);
        state.ResumeTiming();
    }
}

// The real program from spawn to its first presented frame; without sound it
// runs on an audio driver that does not exist.
void GameProgramToTitleFrame(benchmark::State& state, bool withSound)
{
    for (auto _ : state) {
        if (!RunToFirstPresent(VAULTRUN_GAME_PROGRAM, nullptr, withSound)) {
            state.SkipWithError("the game did not present its title");
            break;
        }
    }
}

void BM_StartUpToTitleFrame(benchmark::State& state) { StartUpToTitleFrame(state, true); }
void BM_StartUpToTitleFrameWithoutSound(benchmark::State& state) { StartUpToTitleFrame(state, false); }
void BM_GameProgramToTitleFrame(benchmark::State& state) { GameProgramToTitleFrame(state, true); }
void BM_GameProgramToTitleFrameWithoutSound(benchmark::State& state)
{
    GameProgramToTitleFrame(state, false);
}
BENCHMARK(BM_StartUpToTitleFrame)->Apply(StartUpTiming);
BENCHMARK(BM_StartUpToTitleFrameWithoutSound)->Apply(StartUpTiming);
BENCHMARK(BM_GameProgramToTitleFrame)->Apply(StartUpTiming);
BENCHMARK(BM_GameProgramToTitleFrameWithoutSound)->Apply(StartUpTiming);

// ---------------------------------------------------------------- sound

constexpr double kTickSeconds = 0.015;
constexpr int kListenMs = 1000;
constexpr int kEffectEveryMs = 100;

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}


// The CPU the audio takes per update tick of play. Busy: the music with every
// effect channel kept sounding; idle: the device open and
// nothing playing, which is the audio thread's own cost. The device's thread
// mixes while this one sleeps, so the process's CPU over one second of sound
// is the audio's, reported per 15 ms.
void AudioPerTick(benchmark::State& state, bool busy)
{
    AudioMixer mixer;
    namespace Files = Tqz41kSoundFiles;
    const char* effects[] = {Files::KeyTaken, Files::TrapHit, Files::RunWon};
    if (!mixer.Open() || !mixer.LoadLoop(Files::Music, Files::Music)) {
        state.SkipWithError("no audio device or no music");
        return;
    }
    for (const char* effect : effects)
        mixer.LoadSound(effect, effect);
    if (busy)
        mixer.PlayLoop(Files::Music);
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        for (int ms = 0; ms < kListenMs; ms += kEffectEveryMs) {
            for (const char* effect : effects) {
                if (busy)
                    mixer.Play(effect);
            }
            SDL_Delay(kEffectEveryMs);
        }
        state.SetIterationTime((ProcessCpuSeconds() - before) * kTickSeconds * 1000.0 / kListenMs);
    }
    mixer.Close();
    StopLibraries();
}
void BM_AudioPerTickBusy(benchmark::State& state)
{
    AudioPerTick(state, true);
}
BENCHMARK(BM_AudioPerTickBusy)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(3)
    ->UseManualTime();

void BM_AudioPerTickIdle(benchmark::State& state)
{
    AudioPerTick(state, false);
}
BENCHMARK(BM_AudioPerTickIdle)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(3)
    ->UseManualTime();

// Loading every sound file, as the game does just after its first frame:
// the effects decoded whole, the music only opened for streaming.
void BM_SoundFilesLoad(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        AudioMixer mixer;
        if (!mixer.Open()) {
            state.SkipWithError("no audio device");
            break;
        }
        for (const char* file : Tqz41kSoundFiles::All) {
            if (std::string_view(file) == Tqz41kSoundFiles::Music)
                mixer.QueueLoop(file, file);
            else
                mixer.QueueSound(file, file);
        }
        state.ResumeTiming();
        mixer.LoadQueued();
        state.PauseTiming();
        mixer.Close();
        state.ResumeTiming();
    }
    StopLibraries();
}
BENCHMARK(BM_SoundFilesLoad)->ComputeStatistics("min", Fastest)->Unit(benchmark::kMillisecond);

// One update tick of all sixteen objects: the player probing the map and the
// traps (no key held), five traps sliding, five keys looking for the player.
void BM_UpdateTick(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    for (auto _ : state) {
        game->SetClock(game->Clock() + kPassMs);
        game->UpdateAllObjects(game->Clock());
    }
    EndRun(game);
}
BENCHMARK(BM_UpdateTick)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// A play frame up to the upload: erase sixteen rectangles, the three texts,
// draw sixteen objects. The clock moves so the keys' glow runs through its sizes.
void BM_PlayFrameBeforeUpload(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    for (auto _ : state) {
        game->SetClock(game->Clock() + kPassMs);
        game->FrameBeforeUpload();
    }
    EndRun(game);
}
BENCHMARK(BM_PlayFrameBeforeUpload)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// The end of GameRender: texture update, copy to the renderer, present.
void BM_PlayFrameUpload(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    state.SetLabel(std::string("renderer ") + game->RendererName());
    for (auto _ : state)
        game->Upload();
    EndRun(game);
}
BENCHMARK(BM_PlayFrameUpload)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// The engine's own GameRender for a play frame, upload included.
void BM_PlayFrameGameRender(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    for (auto _ : state) {
        game->SetClock(game->Clock() + kPassMs);
        game->RedrawChanges();
        game->GameRender();
    }
    EndRun(game);
}
BENCHMARK(BM_PlayFrameGameRender)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void BM_WholeScreenCopy(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    for (auto _ : state) {
        game->WholeScreenCopy();
        benchmark::ClobberMemory();
    }
    EndRun(game);
}
BENCHMARK(BM_WholeScreenCopy)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// The same frame with the best run's ghost erased and drawn as the game's
// hooks do it, see-through, walking the level's bottom floor and back.
void BM_PlayFrameWithGhost(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    std::ifstream file("level1.txt", std::ios::binary);
    const std::string level{std::istreambuf_iterator<char>(file), {}};
    DirectionRecord record(2 * kGhostStretchTicks);
    record.PushStretch(kGhostStretchTicks, DirectionBit(Direction::Right));
    record.PushStretch(kGhostStretchTicks, DirectionBit(Direction::Left));
    Tqz41kGhost ghost;
    ghost.Build(Tqz41kTileManager::ParseLevel(level), record);
    int tick = 0;
    for (auto _ : state) {
        game->SetClock(game->Clock() + kPassMs);
        game->UndrawObjects();
        ghost.Erase(*game);
        game->DrawStrings();
        ghost.Draw(game->GetForeground(), tick);
        game->DrawObjects();
        tick = (tick + 1) % ghost.Ticks();
    }
    EndRun(game);
}
BENCHMARK(BM_PlayFrameWithGhost)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// What a run's start costs once a best run is loaded: its ghost's track, the
// record played out of sight (a copy of the game, its player's and map's
// pictures loaded), for a run as long as the shipped level's fastest.
void BM_GhostBuild(benchmark::State& state)
{
    std::ifstream file("level1.txt", std::ios::binary);
    const std::string level{std::istreambuf_iterator<char>(file), {}};
    DirectionRecord record(kFastestRunTicks);
    while (record.Ticks() + 2 * kGhostStretchTicks <= kFastestRunTicks) {
        record.PushStretch(kGhostStretchTicks, DirectionBit(Direction::Right));
        record.PushStretch(kGhostStretchTicks, DirectionBit(Direction::Left));
    }
    for (auto _ : state) {
        Tqz41kGhost ghost;
        ghost.Build(Tqz41kTileManager::ParseLevel(level), record);
        benchmark::DoNotOptimize(ghost.Ticks());
    }
}
BENCHMARK(BM_GhostBuild)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMillisecond);

// The heads-up band: erase it, then time, keys left and best time.
void BM_HeadsUpTexts(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    for (auto _ : state)
        game->DrawStrings();
    EndRun(game);
}
BENCHMARK(BM_HeadsUpTexts)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// The upload and present of a frame with the window at 800 x 600, 1600 x 1200
// and 3840 x 2160: the renderer scales the 800 x 600 picture to it (2x, and
// 3.6x between black bars).
void BM_ScaledPresent(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    int now = 1000;
    state.SetLabel("output " + game->Resize(static_cast<int>(state.range(0)),
                                            static_cast<int>(state.range(1)), now));
    for (auto _ : state)
        game->Upload();
    EndRun(game);
}
BENCHMARK(BM_ScaledPresent)
    ->Args({GameAssets::kWindowWidth, GameAssets::kWindowHeight})
    ->Args({2 * GameAssets::kWindowWidth, 2 * GameAssets::kWindowHeight})
    ->Args({3840, 2160})
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// The real main loop for three seconds on the title screen (0), in a paused
// run (1) and in a run (2): the share of one core the whole process takes,
// the renderer's threads included, as the counter "core", and the frames
// presented meanwhile as "presents".
void BM_LoopCpu(benchmark::State& state)
{
    constexpr Uint32 kLoopMs = 3000;
    auto game = state.range(0) == 0 ? StartGame() : StartRun(state);
    if (!game)
        return;
    if (state.range(0) == 1)
        game->Pause();
    state.SetLabel(state.range(0) == 0 ? "title" : state.range(0) == 1 ? "paused run" : "run");
    // The title's first frame, or the pause notice, drawn before the count.
    game->RunPass(static_cast<int>(SDL_GetTicks()));
    double core = 0.0;
    const int presentsBefore = game->GetPresentCount();
    for (auto _ : state) {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const Uint32 start = SDL_GetTicks();
        game->QuitAfter(kLoopMs);
        game->MainLoop();
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        const double cpu = seconds(after.ru_utime) + seconds(after.ru_stime) -
                           seconds(before.ru_utime) - seconds(before.ru_stime);
        core = cpu / ((SDL_GetTicks() - start) / 1000.0);
    }
    state.counters["core"] = core;
    state.counters["presents"] = game->GetPresentCount() - presentsBefore;
    EndRun(game);
}
BENCHMARK(BM_LoopCpu)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The five keys' glows at their largest (radius 25), as the oval primitive
// draws them onto the foreground.
void BM_KeyGlowOvals(benchmark::State& state)
{
    auto game = StartRun(state);
    if (!game)
        return;
    constexpr int kRadius = 25;
    for (auto _ : state) {
        for (const auto& [x, y] : Tqz41kLayout::Keys)
            game->DrawFilledOval(x - kRadius, y - kRadius, x + kRadius - 1, y + kRadius - 1, 0xD4AF37,
                                 game->GetForeground());
        benchmark::ClobberMemory();
    }
    EndRun(game);
}
BENCHMARK(BM_KeyGlowOvals)
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- summary

// Passes every result to the console and keeps each one's time per iteration
// in seconds: the fastest repetition when there are several.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    KeepingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool fastest = run.run_type == Run::RT_Aggregate && run.aggregate_name == "min";
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !fastest))
                continue;
            const std::string name = run.run_name.function_name;
            if (fastest || !fastestKnown.count(name)) {
                // Start-up and the upload wait on the system (and the X server)
                // as well: wall time. The rest is pure CPU work: its CPU time
                // leaves out the neighbours' turns.
                const bool wall = !run.run_name.time_type.empty();
                seconds[name] = (wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) /
                                benchmark::GetTimeUnitMultiplier(run.time_unit);
                if (fastest)
                    fastestKnown[name] = true;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double Get(const char* name) const
    {
        const auto found = seconds.find(name);
        return found == seconds.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> seconds;
    std::map<std::string, bool> fastestKnown;
};

void PrintRatio(std::ostream& out, const char* what, double seconds, const char* floorName,
                double floorSeconds, double target)
{
    char line[256];
    if (seconds <= 0.0 || floorSeconds <= 0.0) {
        std::snprintf(line, sizeof line, "%-46s not measured\n", what);
        out << line;
        return;
    }
    const double ratio = seconds / floorSeconds;
    std::snprintf(line, sizeof line, "%-46s %10.1f us / %-17s %10.1f us = %6.2f", what,
                  seconds * 1e6, floorName, floorSeconds * 1e6, ratio);
    out << line;
    if (target > 0.0) {
        std::snprintf(line, sizeof line, "  (target <= %.1f: %s)", target,
                      ratio <= target ? "met" : "missed");
        out << line;
    }
    out << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    // The dummy drivers unless the caller names others.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (chdir(VAULTRUN_DATA_DIR) != 0) {
        std::fprintf(stderr, "vaultrun-bench: cannot enter the data folder %s\n", VAULTRUN_DATA_DIR);
        return 1;
    }
    // The table keeps the real standard output; the game's console lines,
    // which would drown it, go to /dev/null.
    std::ofstream table("/dev/stdout");
    std::fflush(stdout);
    if (!table || !std::freopen("/dev/null", "w", stdout))
        return 1;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    KeepingReporter reporter;
    reporter.SetOutputStream(&table);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double memcpyFloor = reporter.Get("BM_FloorFrameMemcpy");
    const double tick = reporter.Get("BM_UpdateTick");
    const double frame = reporter.Get("BM_PlayFrameBeforeUpload");
    table << "\nvideo driver: " << SDL_getenv("SDL_VIDEODRIVER") << "\n";
    PrintRatio(table, "play frame CPU work (tick + frame, no upload)", tick + frame, "frame memcpy",
               memcpyFloor, 1.0);
    PrintRatio(table, "play frame CPU work with the ghost drawn", tick + reporter.Get("BM_PlayFrameWithGhost"),
               "frame memcpy", memcpyFloor, 1.0);
    PrintRatio(table, "  update tick", tick, "frame memcpy", memcpyFloor, 0.0);
    PrintRatio(table, "  frame before the upload", frame, "frame memcpy", memcpyFloor, 0.0);
    PrintRatio(table, "  audio per tick, busy (its own thread)", reporter.Get("BM_AudioPerTickBusy"),
               "frame memcpy", memcpyFloor, 0.0);
    PrintRatio(table, "  audio per tick, idle (its own thread)", reporter.Get("BM_AudioPerTickIdle"),
               "frame memcpy", memcpyFloor, 0.0);
    PrintRatio(table, "  heads-up texts (in the frame)", reporter.Get("BM_HeadsUpTexts"),
               "frame memcpy", memcpyFloor, 0.0);
    PrintRatio(table, "  five key glows at their largest", reporter.Get("BM_KeyGlowOvals"),
               "frame memcpy", memcpyFloor, 0.0);
    PrintRatio(table, "whole-screen copy", reporter.Get("BM_WholeScreenCopy"), "frame memcpy",
               memcpyFloor, 0.0);
    PrintRatio(table, "upload and present", reporter.Get("BM_PlayFrameUpload"), "frame memcpy",
               memcpyFloor, 0.0);
    PrintRatio(table, "start-up to the title frame, in process", reporter.Get("BM_StartUpToTitleFrame"),
               "bare SDL start-up", reporter.Get("BM_FloorBareSdlStartUp"), 1.1);
    PrintRatio(table, "  the same / bare SDL showing a picture", reporter.Get("BM_StartUpToTitleFrame"),
               "bare SDL picture", reporter.Get("BM_BareSdlStartUpShowingAPicture"), 0.0);
    PrintRatio(table, "  the same / the same without sound", reporter.Get("BM_StartUpToTitleFrame"),
               "without sound", reporter.Get("BM_StartUpToTitleFrameWithoutSound"), 0.0);
    PrintRatio(table, "start-up to the title frame, whole program",
               reporter.Get("BM_GameProgramToTitleFrame"), "bare SDL program",
               reporter.Get("BM_FloorBareSdlProgram"), 1.1);
    PrintRatio(table, "  the same / bare SDL showing a picture",
               reporter.Get("BM_GameProgramToTitleFrame"), "bare SDL picture",
               reporter.Get("BM_BareSdlProgramShowingAPicture"), 0.0);
    PrintRatio(table, "  the same / the same without sound", reporter.Get("BM_GameProgramToTitleFrame"),
               "without sound", reporter.Get("BM_GameProgramToTitleFrameWithoutSound"), 0.0);
    return 0;
}
