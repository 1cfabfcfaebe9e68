#pragma once

#include "AudioMixer.h"
#include "DirectionInput.h"
#include "DisplayableObject.h"
#include "FontStore.h"
#include "GameControllers.h"
#include "TextLine.h"

#include <SDL.h>

#include <memory>
#include <vector>

// The spine of a game: owns the window, the two drawing surfaces, the key table,
// the game controllers, the moving objects and the fonts, and runs the frame
// loop. A game derives from it and plugs in through the virtual operations; the
// engine knows nothing of any particular game. All drawing is at the size given
// to Initialise; the window only scales the finished picture.
class BaseEngine {
public:
    BaseEngine();
    virtual ~BaseEngine();
    BaseEngine(const BaseEngine&) = delete;
    BaseEngine& operator=(const BaseEngine&) = delete;

    // The virtual operations, in their fixed order. The defaults are minimal.
    virtual void DestroyOldObjects();
    virtual int GetTime();
    virtual void KeyUp(int keyCode);
    virtual void KeyDown(int keyCode);
    virtual void MouseMoved(int x, int y);
    virtual void MouseDown(int button, int x, int y);
    virtual void MouseUp(int button, int x, int y);
    virtual int GameInit();
    virtual void CleanUp();
    virtual int InitialiseObjects();
    virtual void SetupBackgroundBuffer();
    virtual void GameAction();
    virtual void AfterUndraw();
    virtual void BeforeDrawObjects();
    virtual void AfterDrawObjects();
    virtual void DrawStrings();
    virtual void GameRender();
    virtual void UndrawObjects();
    virtual void DrawObjects();
    virtual void UpdateAllObjects(int time);
    virtual void FillBackground(unsigned int colour);
    // A button pressed on any game controller (an SDL_GameControllerButton).
    virtual void ControllerButtonDown(int button);
    // The player can no longer play: the window lost the focus or was
    // minimised, or a game controller in use was unplugged. A game pauses here.
    virtual void PlayInterrupted();

    // Starts SDL and TTF, opens the audio (or goes on silent), the fonts, the
    // window and its surfaces, then runs GameInit. Returns 0, or 1 with a line
    // on standard error when anything cannot be created; after a 1 only
    // destruction is allowed. A font library that fails to start gets its line
    // on standard error, and no text is drawn. From here on a write past a
    // file-size limit fails as a write instead of ending the process.
    int Initialise(const char* title, int width, int height, const char* fontName, int fontSize);
    // Runs passes until the window is closed or exitCode leaves -1; always 0.
    // In the browser it does not return: the page's display frames run the
    // passes through RunFrame from then on.
    int MainLoop();
    // One pass of the loop with the clock reading now: events, GameAction,
    // GameRender, then the audio's queued sounds, if any, are loaded. False
    // when the window was closed during the events.
    bool RunPass(int now);
    // The passes one display frame at now runs when the frames set the pace
    // (the browser): one, plus one more for each further update that fell due.
    // Returns the number of updates run, or -1 once the game has ended.
    int RunFrame(int now);
    // Runs CleanUp, closes the audio and drops the key table.
    void Deinitialise();

    // The key table index of an SDL key code: 0..127 as themselves, the listed
    // special keys 128..164, every other code 0.
    static int KeyCodeToIndex(int keyCode);
    // How long GameAction sleeps when the clock reads now and the next update
    // is due at nextTick: 9 ms while at least 9 ms remain, otherwise 0; always
    // 0 in the browser, whose display frames pace the passes.
    static int PacingSleepMs(int now, int nextTick);
    // Milliseconds from now until then on the wrapping clock; negative once past.
    static int MsUntil(int now, int then);
    // The clock reading for a pass that a display frame at now runs, when the
    // frames, not the engine, set the pace (the browser): the due update's own
    // time while it is at most sixteen updates late, so that updates stay 15 ms
    // apart at any frame rate; now itself when nothing is due or when the game
    // fell far behind (a hidden page), which restarts the schedule from now.
    static int FramePassTime(int now, int nextTick);
    // False while there is no key table (before Initialise, after Deinitialise).
    bool IsKeyPressed(int keyCode) const;
    // Holds or releases a key without an event, for replays and level tools.
    // Ignored while there is no key table.
    void SetKeyPressed(int keyCode, bool held);

    // The four directions as objects steer by them: from keys, d-pads and
    // sticks together, or the ones a replay holds (see PlayDirections).
    bool IsDirectionHeld(Direction direction) const
    {
        return (HeldDirections() & DirectionBit(direction)) != 0;
    }
    unsigned HeldDirections() const
    {
        return replayedDirections >= 0 ? static_cast<unsigned>(replayedDirections)
                                       : directionInput.HeldDirections();
    }
    // From now on the objects read these directions (DirectionBit bits)
    // whatever is held; a negative value gives them the live input again.
    void PlayDirections(int directions) { replayedDirections = directions; }

    // A quiet engine prints nothing on standard output, its games' lines
    // included: for a copy of a game that runs out of sight.
    void QuietConsole() { consoleQuiet = true; }
    bool IsConsoleQuiet() const { return consoleQuiet; }
    int GetControllerCount() const { return controllers.Count(); }

    // Keys the engine keeps from the game: modifiers alone, and the window's
    // own commands (F11, Alt+Enter: full screen on and off).
    static bool IsModifierKey(int keyCode);
    static bool IsFullScreenKey(int keyCode, int modifiers);
    // Desktop full screen (the picture scaled to it) and back to the window.
    void ToggleFullScreen();
    bool IsFullScreen() const;
    // SDL's id of the window, to which its window events are addressed; 0 without one.
    Uint32 GetWindowId() const { return window ? SDL_GetWindowID(window.get()) : 0; }

    // While paused no object updates and every sound holds; the pacing and
    // frames drawn on request go on, so a paused game costs what a still
    // screen does.
    void SetPaused(bool pause);
    bool IsPaused() const { return paused; }

    // Frames shown so far: drawn ones and the same one shown again after the
    // window system lost it (exposed, restored, resized).
    int GetPresentCount() const { return presentCount; }

    void RedrawChanges() { needsRedraw = true; }
    void RedrawWholeScreen() { needsRedraw = redrawWholeScreen = true; }

    // count slots plus an empty terminator; deletes every object held so far.
    void CreateObjectArray(int count);
    // Takes ownership. Throws std::out_of_range for an index beyond the array.
    void StoreObjectInArray(int index, std::unique_ptr<DisplayableObject> object);
    // Null past the end, in an empty slot, or when slot 0 is empty.
    DisplayableObject* GetDisplayableObject(int index) const;
    // Tells a pass over the objects that the array was rebuilt under it.
    void NotifyObjectsChanged() { objectsChanged = true; }

    // Pixel primitives. The rectangle and oval take corners in any order,
    // include both, and clip to 0 <= x < pitch/4, 0 <= y < screenHeight.
    // A null surface means the foreground.
    void CopyBackgroundPixels(int x, int y, int width, int height);
    void DrawFilledRectangle(int x1, int y1, int x2, int y2, unsigned int colour,
                             SDL_Surface* surface = nullptr);
    void DrawFilledOval(int x1, int y1, int x2, int y2, unsigned int colour,
                        SDL_Surface* surface = nullptr);

    // One line of Latin-1 text with its top left at (x, y). Null font means the
    // default font, null surface the foreground; no usable font draws nothing.
    void DrawText(int x, int y, const char* text, unsigned int colour,
                  FontRecord* font = nullptr, SDL_Surface* surface = nullptr);
    // As DrawText, but the rendered line is kept in `line` and rendered again
    // only when the text, colour or font changed: a line that stays the same
    // from frame to frame costs a blit and no allocation.
    void DrawTextLine(int x, int y, TextLine& line, const char* text, unsigned int colour,
                      FontRecord* font = nullptr, SDL_Surface* surface = nullptr);
    FontRecord* GetFont(const char* name, int size) { return fonts.GetFont(name, size); }
    FontRecord* GetDefaultFont() const { return defaultFont; }

    // The sound player, open between Initialise and Deinitialise when the
    // machine has a device; silent otherwise.
    AudioMixer& GetAudio() { return *audio; }
    // Swaps in another mixer (a test's listening one); before Initialise only.
    void UseAudio(std::unique_ptr<AudioMixer> mixer) { audio = std::move(mixer); }
    // Before Initialise: the audio is never opened, so every request is silent
    // and no sound file is read (tools that run a game unseen).
    void DisableAudio() { audioWanted = false; }

    SDL_Surface* GetForeground() const { return foreground.get(); }
    SDL_Surface* GetBackground() const { return background.get(); }

protected:
    struct SdlDeleter {
        void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
        void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
        void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
        void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
    };

    int exitCode = -1;
    std::unique_ptr<unsigned char[]> keyStates;
    int screenWidth = 0;
    int screenHeight = 0;
    std::unique_ptr<SDL_Surface, SdlDeleter> foreground;
    std::unique_ptr<SDL_Surface, SdlDeleter> background;
    std::unique_ptr<SDL_Window, SdlDeleter> window;
    std::unique_ptr<SDL_Renderer, SdlDeleter> renderer;
    std::unique_ptr<SDL_Texture, SdlDeleter> screenTexture;
    int tickTime = 0;
    int timeOffset = 0;
    bool needsRedraw = true;
    bool redrawWholeScreen = true;
    int nextTickTime = 0;
    int mouseDownX = 0;
    int mouseDownY = 0;
    int mouseUpX = 0;
    int mouseUpY = 0;
    int mouseX = 0;
    int mouseY = 0;
    bool objectsChanged = false;
    std::vector<std::unique_ptr<DisplayableObject>> objects;
    FontStore fonts;
    FontRecord* defaultFont = nullptr;  // lent by fonts
    bool surfaceLocked = false;
    std::unique_ptr<AudioMixer> audio = std::make_unique<AudioMixer>();
    bool audioWanted = true;

    // Shows the last uploaded frame in the window, black bars around it.
    void PresentScreenTexture();

private:
    GameControllers controllers;
    DirectionInput directionInput{*this, controllers};
    bool paused = false;
    int replayedDirections = -1;  // negative: the live input
    bool consoleQuiet = false;
    int passesToPresentAgain = 0;  // the window system asked for the picture again
    bool pictureFillsWindow = true;  // no letterbox bars to clear
    int presentCount = 0;

    // Runs fn on each object in slot order until the first empty slot, stopping
    // at once when an object rebuilds or empties the array.
    template <typename Fn>
    void ForEachObject(Fn fn);
    bool LockForeground();
    void UnlockForeground();
    // False for the quit event, which ends the pass at once.
    bool HandleEvent(const SDL_Event& event);
    void HandleWindowEvent(const SDL_WindowEvent& event);
    // Whole-multiple scaling where it fits the window's present size.
    void ChooseScale();
    // Shows the last frame again, on this pass and the next.
    void PresentAgain();
    // Blits a rendered line with its top left at (x, y), giving a locked
    // foreground's lock back around the blit. Null target means the foreground.
    void BlitText(SDL_Surface* rendered, int x, int y, SDL_Surface* target);
#ifdef __EMSCRIPTEN__
    // One display frame of the browser: the passes whose updates fell due.
    static void RunBrowserFrame(void* engine);
#endif
};
