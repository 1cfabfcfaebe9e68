#include "BaseEngine.h"

#include "Letterbox.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

constexpr int kWindowX = 10;
constexpr int kWindowY = 40;
constexpr int kKeyTableSize = 256;
constexpr int kTickMs = 15;         // objects update at most this often
constexpr int kSleepMs = 9;         // a pass sleeps this long while the next tick is far
#ifdef __EMSCRIPTEN__
constexpr bool kPassesMaySleep = false;  // the browser's frames pace the game; a sleep freezes the page
#else
constexpr bool kPassesMaySleep = true;
#endif
// A frame up to this late catches up on the updates it missed, so that play
// keeps its pace through a short stall; a later one (a hidden page) starts the
// schedule afresh.
constexpr int kFrameCatchUpMs = 16 * kTickMs;
constexpr unsigned int kDefaultBackground = 0xFFFF00;
#ifdef __EMSCRIPTEN__
// The page scales the canvas itself; a resizable window would make SDL size the
// canvas to the page instead.
constexpr Uint32 kWindowFlags = 0;
#else
constexpr Uint32 kWindowFlags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
#endif

struct KeyIndex {
    int keyCode;
    int index;
};

// Special keys get the indices above the 7-bit character codes. 150 and
// 153..157 are unused.
constexpr KeyIndex kSpecialKeys[] = {
    {SDLK_UP, 128},          {SDLK_DOWN, 129},        {SDLK_LEFT, 130},
    {SDLK_RIGHT, 131},       {SDLK_F1, 132},          {SDLK_F2, 133},
    {SDLK_F3, 134},          {SDLK_F4, 135},          {SDLK_F5, 136},
    {SDLK_F6, 137},          {SDLK_F7, 138},          {SDLK_F8, 139},
    {SDLK_F9, 140},          {SDLK_F10, 141},         {SDLK_F11, 142},
    {SDLK_F12, 143},         {SDLK_PRINTSCREEN, 144}, {SDLK_SCROLLLOCK, 145},
    {SDLK_PAUSE, 146},       {SDLK_INSERT, 147},      {SDLK_HOME, 148},
    {SDLK_PAGEUP, 149},      {SDLK_END, 151},         {SDLK_PAGEDOWN, 152},
    {SDLK_CAPSLOCK, 158},    {SDLK_NUMLOCKCLEAR, 159}, {SDLK_KP_DIVIDE, 160},
    {SDLK_KP_MULTIPLY, 161}, {SDLK_KP_MINUS, 162},    {SDLK_KP_PLUS, 163},
    {SDLK_KP_ENTER, 164},
};

// The library shutdowns run at process exit; TTF_Quit is registered last so
// that it runs before SDL_Quit.
void RegisterShutdownOnce()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    std::atexit(SDL_Quit);
    std::atexit(TTF_Quit);
}

SDL_Surface* CreateScreenSurface(int width, int height)
{
    // 0xAARRGGBB words, the texture's own format, so a frame uploads unchanged.
    return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
}

bool Failed(const void* created, const char* what)
{
    if (created)
        return false;
    std::fprintf(stderr, "Unable to create the %s: %s\n", what, SDL_GetError());
    return true;
}

// The pixel rows a fill may touch on a surface: the engine's screen height,
// and never past the surface's own last row.
int FillableRows(const SDL_Surface* surface, int screenHeight)
{
    return std::min(screenHeight, surface->h);
}

}  // namespace

BaseEngine::BaseEngine() = default;

BaseEngine::~BaseEngine()
{
    BaseEngine::DestroyOldObjects();
    fonts.FreeFonts();
    objects.shrink_to_fit();
}

// ---------------------------------------------------------------- lifecycle

int BaseEngine::Initialise(const char* title, int width, int height, const char* fontName,
                           int fontSize)
{
    screenWidth = width;
    screenHeight = height;
    // A file-size limit (ulimit -f) would otherwise kill a game at its save,
    // which only leaves a temporary file; with the signal ignored the write
    // fails, and the save with it, and the old file stays.
    std::signal(SIGXFSZ, SIG_IGN);

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        return 1;
    }
    // Without a display SDL falls back to its offscreen driver, whose window
    // nobody could see or close: that is no video for a desktop game.
    if (const char* driver = SDL_GetCurrentVideoDriver();
        driver && std::strcmp(driver, "offscreen") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        std::fprintf(stderr, "Unable to init SDL: no display to open a window on\n");
        return 1;
    }
    RegisterShutdownOnce();
    // Without the font library the game plays on without text: no font opens.
    if (TTF_Init() < 0)
        std::fprintf(stderr, "Unable to init SDL_ttf: %s\n", TTF_GetError());
    else
        fonts.LoadFonts();
    // Controllers are a bonus: the keyboard plays without them.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) < 0)
        std::fprintf(stderr, "Playing without game controllers: %s\n", SDL_GetError());
    if (audioWanted)
        audio->Open();

    if (fontName && fontName[0] != '\0')
        defaultFont = fonts.GetFont(fontName, fontSize);

    // Hidden until the renderer exists: making it may replace the window, and
    // a window shown before that would flash up and vanish again.
    window.reset(
        SDL_CreateWindow(title, kWindowX, kWindowY, width, height, kWindowFlags | SDL_WINDOW_HIDDEN));
    if (Failed(window.get(), "window"))
        return 1;
    renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
    if (Failed(renderer.get(), "renderer"))
        return 1;
    screenTexture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                          SDL_TEXTUREACCESS_STREAMING, width, height));
    if (Failed(screenTexture.get(), "screen texture"))
        return 1;
    // The picture keeps its size and shape; the renderer scales it to the
    // window, centred, pixels as crisp squares, the rest cleared black.
    SDL_SetTextureScaleMode(screenTexture.get(), SDL_ScaleModeNearest);
    SDL_RenderSetLogicalSize(renderer.get(), width, height);
    SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, SDL_ALPHA_OPAQUE);
    ChooseScale();
    SDL_ShowWindow(window.get());
    foreground.reset(CreateScreenSurface(width, height));
    if (Failed(foreground.get(), "foreground surface"))
        return 1;
    background.reset(CreateScreenSurface(width, height));
    if (Failed(background.get(), "background surface"))
        return 1;

    keyStates = std::make_unique<unsigned char[]>(kKeyTableSize);
    controllers.OpenAttached();
    GameInit();
    return 0;
}

void BaseEngine::Deinitialise()
{
    CleanUp();
    audio->Close();
    keyStates.reset();
}

int BaseEngine::GameInit()
{
    InitialiseObjects();
    SetupBackgroundBuffer();
    return 0;
}

void BaseEngine::CleanUp() {}

int BaseEngine::InitialiseObjects()
{
    DestroyOldObjects();
    return 0;
}

void BaseEngine::SetupBackgroundBuffer()
{
    FillBackground(kDefaultBackground);
}

// ---------------------------------------------------------------- loop and input

#ifdef __EMSCRIPTEN__
namespace {
// Updates run in the browser so far and the clock time of the last one: the
// page can tell the game's pace from them.
unsigned browserUpdates = 0;
int browserLastUpdateMs = 0;
}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE unsigned engine_update_count()
{
    return browserUpdates;
}

extern "C" EMSCRIPTEN_KEEPALIVE int engine_last_update_ms()
{
    return browserLastUpdateMs;
}

// A page must not block: the browser calls this once per display frame, and
// returning gives the page back its events and drawing.
void BaseEngine::RunBrowserFrame(void* engine)
{
    auto* self = static_cast<BaseEngine*>(engine);
    const int updates = self->RunFrame(static_cast<int>(SDL_GetTicks()));
    if (updates < 0) {
        emscripten_cancel_main_loop();
    } else if (updates > 0) {
        browserUpdates += static_cast<unsigned>(updates);
        browserLastUpdateMs = static_cast<int>(static_cast<unsigned>(self->nextTickTime) - kTickMs);
    }
}

int BaseEngine::MainLoop()
{
    // Does not return: the page keeps the engine alive and calls it each frame.
    if (exitCode == -1)
        emscripten_set_main_loop_arg(&BaseEngine::RunBrowserFrame, this, 0, 1);
    return 0;
}
#else
int BaseEngine::MainLoop()
{
    while (exitCode == -1) {
        if (!RunPass(static_cast<int>(SDL_GetTicks())))
            return 0;
    }
    return 0;
}
#endif

int BaseEngine::RunFrame(int now)
{
    int updates = 0;
    for (;;) {
        const int scheduled = nextTickTime;
        if (exitCode != -1 || !RunPass(FramePassTime(now, scheduled)))
            return -1;
        if (nextTickTime == scheduled)
            return updates;
        ++updates;
        if (MsUntil(now, nextTickTime) > 0)
            return updates;
    }
}

bool BaseEngine::RunPass(int now)
{
    tickTime = now;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (!HandleEvent(event))
            return false;
    }
    const int presentsBefore = presentCount;
    GameAction();
    GameRender();
    // However many window events asked: once on this pass, unless a frame was
    // just drawn, and once on the next.
    if (passesToPresentAgain > 0) {
        if (presentCount == presentsBefore)
            PresentScreenTexture();
        --passesToPresentAgain;
    }
    // Sounds a game queued at start-up load once its first frame is shown.
    audio->LoadQueued();
    return true;
}

bool BaseEngine::HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_KEYDOWN:
        if (IsModifierKey(event.key.keysym.sym))
            break;
        if (IsFullScreenKey(event.key.keysym.sym, event.key.keysym.mod)) {
            // Held, the key repeats: one switch per press.
            if (!event.key.repeat)
                ToggleFullScreen();
            break;
        }
        SetKeyPressed(event.key.keysym.sym, true);
        KeyDown(event.key.keysym.sym);
        break;
    case SDL_KEYUP:
        if (IsModifierKey(event.key.keysym.sym) || event.key.keysym.sym == SDLK_F11)
            break;
        SetKeyPressed(event.key.keysym.sym, false);
        KeyUp(event.key.keysym.sym);
        break;
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
    case SDL_CONTROLLERDEVICEADDED:
        controllers.Open(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (controllers.Close(event.cdevice.which))
            PlayInterrupted();
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        ControllerButtonDown(event.cbutton.button);
        break;
    case SDL_MOUSEMOTION:
        mouseX = event.motion.x;
        mouseY = event.motion.y;
        MouseMoved(event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
        mouseDownX = event.button.x;
        mouseDownY = event.button.y;
        MouseDown(event.button.button, event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        mouseUpX = event.button.x;
        mouseUpY = event.button.y;
        MouseUp(event.button.button, event.button.x, event.button.y);
        break;
    default:
        break;
    }
    return true;
}

int BaseEngine::KeyCodeToIndex(int keyCode)
{
    if (keyCode >= 0 && keyCode <= 127)
        return keyCode;
    for (const KeyIndex& key : kSpecialKeys) {
        if (key.keyCode == keyCode)
            return key.index;
    }
    return 0;
}

bool BaseEngine::IsKeyPressed(int keyCode) const
{
    return keyStates && keyStates[KeyCodeToIndex(keyCode)] != 0;
}

void BaseEngine::SetKeyPressed(int keyCode, bool held)
{
    if (keyStates)
        keyStates[KeyCodeToIndex(keyCode)] = held ? 1 : 0;
}

int BaseEngine::GetTime()
{
    return static_cast<int>(static_cast<unsigned>(timeOffset) + static_cast<unsigned>(tickTime));
}

void BaseEngine::HandleWindowEvent(const SDL_WindowEvent& event)
{
    // A window closed earlier (another engine's) may still have events queued.
    if (event.windowID != GetWindowId())
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        ChooseScale();
        PresentAgain();
        break;
    // The window system keeps nothing of a window it hid or covered.
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        PresentAgain();
        break;
    // Not on hiding: making the renderer hides and shows a new window, and a
    // window hidden in play is minimised or loses the focus as well.
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        PlayInterrupted();
        break;
    default:
        break;
    }
}

bool BaseEngine::IsModifierKey(int keyCode)
{
    switch (keyCode) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_LGUI:
    case SDLK_RGUI:
    case SDLK_MODE:
        return true;
    default:
        return false;
    }
}

bool BaseEngine::IsFullScreenKey(int keyCode, int modifiers)
{
    return keyCode == SDLK_F11 ||
           ((keyCode == SDLK_RETURN || keyCode == SDLK_KP_ENTER) && (modifiers & KMOD_ALT) != 0);
}

void BaseEngine::ToggleFullScreen()
{
    if (!window)
        return;
    const Uint32 next = IsFullScreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (SDL_SetWindowFullscreen(window.get(), next) < 0)
        std::fprintf(stderr, "Unable to switch full screen: %s\n", SDL_GetError());
    // Some window systems resize without telling; choosing again costs nothing.
    ChooseScale();
    PresentAgain();
}

void BaseEngine::PresentAgain()
{
    // Twice: a window's drawing buffer may keep its old size for the first
    // present after a resize, and a resize SDL announced before it happened
    // (full screen under a slow window manager) comes back as an expose only.
    passesToPresentAgain = 2;
}

void BaseEngine::SetPaused(bool pause)
{
    paused = pause;
    audio->SetPaused(pause);
}

bool BaseEngine::IsFullScreen() const
{
    return window && (SDL_GetWindowFlags(window.get()) & SDL_WINDOW_FULLSCREEN) != 0;
}

void BaseEngine::ChooseScale()
{
    int outputWidth = 0;
    int outputHeight = 0;
    if (!renderer || SDL_GetRendererOutputSize(renderer.get(), &outputWidth, &outputHeight) < 0)
        return;
    SDL_RenderSetIntegerScale(renderer.get(),
                              Letterbox::PrefersWholeMultiple(outputWidth, outputHeight, screenWidth,
                                                              screenHeight)
                                  ? SDL_TRUE
                                  : SDL_FALSE);
    pictureFillsWindow = Letterbox::FillsExactly(outputWidth, outputHeight, screenWidth, screenHeight);
}

void BaseEngine::ControllerButtonDown(int) {}
void BaseEngine::PlayInterrupted() {}

void BaseEngine::KeyUp(int) {}
void BaseEngine::KeyDown(int) {}
void BaseEngine::MouseMoved(int, int) {}
void BaseEngine::MouseDown(int, int, int) {}
void BaseEngine::MouseUp(int, int, int) {}

// ---------------------------------------------------------------- frame cycle

// The millisecond clock wraps (SDL's after 49 days, ours as a signed int after
// 24.8): differences are taken modulo 2^32, so the schedule survives the wrap.
int BaseEngine::MsUntil(int now, int then)
{
    return static_cast<int>(static_cast<unsigned>(then) - static_cast<unsigned>(now));
}

int BaseEngine::PacingSleepMs(int now, int nextTick)
{
    return kPassesMaySleep && MsUntil(now, nextTick) >= kSleepMs ? kSleepMs : 0;
}

int BaseEngine::FramePassTime(int now, int nextTick)
{
    const int late = MsUntil(nextTick, now);
    return late >= 0 && late <= kFrameCatchUpMs ? nextTick : now;
}

void BaseEngine::GameAction()
{
    if (MsUntil(tickTime, nextTickTime) > 0) {
        // No catching up: a late pass simply starts the next 15 ms from itself.
        if (int sleep = PacingSleepMs(tickTime, nextTickTime))
            SDL_Delay(sleep);
        return;
    }
    nextTickTime = static_cast<int>(static_cast<unsigned>(tickTime) + kTickMs);
    // Paused, the schedule runs on, so the loop sleeps as it always does.
    if (!paused)
        UpdateAllObjects(tickTime);
}

bool BaseEngine::LockForeground()
{
    if (!SDL_MUSTLOCK(foreground.get()))
        return true;
    surfaceLocked = true;
    return SDL_LockSurface(foreground.get()) >= 0;
}

void BaseEngine::UnlockForeground()
{
    if (SDL_MUSTLOCK(foreground.get()))
        SDL_UnlockSurface(foreground.get());
    surfaceLocked = false;
}

void BaseEngine::GameRender()
{
    // Without surfaces (a failed Initialise) there is nothing to draw on.
    if (!needsRedraw || !foreground || !background)
        return;
    needsRedraw = false;

    if (redrawWholeScreen) {
        redrawWholeScreen = false;
        if (!LockForeground())
            return;
        std::memcpy(foreground->pixels, background->pixels,
                    static_cast<size_t>(background->pitch) * screenHeight);
    } else {
        if (!LockForeground())
            return;
        UndrawObjects();
        AfterUndraw();
    }
    DrawStrings();
    BeforeDrawObjects();
    DrawObjects();
    AfterDrawObjects();
    UnlockForeground();

    SDL_UpdateTexture(screenTexture.get(), nullptr, foreground->pixels, foreground->pitch);
    PresentScreenTexture();
}

void BaseEngine::PresentScreenTexture()
{
    if (!renderer || !screenTexture)
        return;
    // The clear paints the letterbox bars black; the texture covers the rest.
    // Without bars it would only cost a fill of the window (in software).
    if (!pictureFillsWindow)
        SDL_RenderClear(renderer.get());
    SDL_RenderCopy(renderer.get(), screenTexture.get(), nullptr, nullptr);
    SDL_RenderPresent(renderer.get());
    ++presentCount;
}

void BaseEngine::AfterUndraw() {}
void BaseEngine::BeforeDrawObjects() {}
void BaseEngine::AfterDrawObjects() {}
void BaseEngine::DrawStrings() {}

void BaseEngine::FillBackground(unsigned int colour)
{
    SDL_Rect whole{0, 0, screenWidth, screenHeight};
    SDL_FillRect(background.get(), &whole, colour);
}

// ---------------------------------------------------------------- object array

void BaseEngine::CreateObjectArray(int count)
{
    DestroyOldObjects();
    objects.resize(static_cast<size_t>(std::max(count, 0)) + 1);
}

void BaseEngine::StoreObjectInArray(int index, std::unique_ptr<DisplayableObject> object)
{
    if (index < 0 || static_cast<size_t>(index) >= objects.size())
        throw std::out_of_range("StoreObjectInArray: index beyond the object array");
    objects[index] = std::move(object);
}

DisplayableObject* BaseEngine::GetDisplayableObject(int index) const
{
    if (objects.empty() || !objects[0])
        return nullptr;
    if (index < 0 || static_cast<size_t>(index) >= objects.size())
        return nullptr;
    return objects[index].get();
}

void BaseEngine::DestroyOldObjects()
{
    objectsChanged = true;
    for (std::unique_ptr<DisplayableObject>& slot : objects) {
        if (!slot)
            break;
        std::printf("DELETING OBJECT!");
        slot.reset();
    }
    // Anything stored past a gap is released quietly rather than leaked.
    objects.clear();
}

template <typename Fn>
void BaseEngine::ForEachObject(Fn fn)
{
    objectsChanged = false;
    for (size_t i = 0; i < objects.size() && objects[i]; ++i) {
        fn(*objects[i]);
        // The object may have rebuilt the array, itself included: touch nothing more.
        if (objectsChanged)
            return;
    }
}

void BaseEngine::UndrawObjects()
{
    ForEachObject([](DisplayableObject& object) { object.RedrawBackground(); });
}

void BaseEngine::DrawObjects()
{
    ForEachObject([](DisplayableObject& object) { object.Draw(); });
}

void BaseEngine::UpdateAllObjects(int time)
{
    ForEachObject([time](DisplayableObject& object) { object.DoUpdate(time); });
}

// ---------------------------------------------------------------- pixel primitives

void BaseEngine::CopyBackgroundPixels(int x, int y, int width, int height)
{
    SDL_Surface* from = background.get();
    SDL_Surface* to = foreground.get();
    if (!from || !to)
        return;
    // Clip to both surfaces so a rectangle hanging off an edge copies its visible part.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, std::min(from->w, to->w));
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, std::min(from->h, to->h));
    if (left >= right || top >= bottom)
        return;

    const size_t stride = static_cast<unsigned>(from->pitch) >> 2;
    const auto* source = static_cast<const uint32_t*>(from->pixels);
    auto* target = static_cast<uint32_t*>(to->pixels);
    const size_t rowBytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
    for (int64_t row = top; row < bottom; ++row) {
        const size_t offset = static_cast<size_t>(row) * stride + static_cast<size_t>(left);
        std::memcpy(target + offset, source + offset, rowBytes);
    }
}

void BaseEngine::DrawFilledRectangle(int x1, int y1, int x2, int y2, unsigned int colour,
                                     SDL_Surface* surface)
{
    if (!surface)
        surface = foreground.get();
    if (!surface)
        return;
    const int stride = static_cast<int>(static_cast<unsigned>(surface->pitch) >> 2);
    const int left = std::max(std::min(x1, x2), 0);
    const int right = std::min(std::max(x1, x2), stride - 1);
    const int top = std::max(std::min(y1, y2), 0);
    const int bottom = std::min(std::max(y1, y2), FillableRows(surface, screenHeight) - 1);
    // Wholly left or right of the surface: the clipped span would run backwards.
    if (left > right)
        return;

    auto* pixels = static_cast<uint32_t*>(surface->pixels);
    for (int y = top; y <= bottom; ++y) {
        uint32_t* row = pixels + static_cast<size_t>(y) * stride;
        std::fill(row + left, row + right + 1, colour);
    }
}

void BaseEngine::DrawFilledOval(int x1, int y1, int x2, int y2, unsigned int colour,
                                SDL_Surface* surface)
{
    if (!surface)
        surface = foreground.get();
    if (!surface)
        return;
    // 64-bit sums and double squares: the same values as 32-bit arithmetic wherever
    // that does not overflow, and no overflow for far-off corners (a span of
    // 2^32 - 1 squared does not fit even 64 bits).
    const int64_t left = std::min(x1, x2);
    const int64_t right = std::max(x1, x2);
    const int64_t top = std::min(y1, y2);
    const int64_t bottom = std::max(y1, y2);
    const double cx = static_cast<double>(left + right) * 0.5;
    const double cy = static_cast<double>(top + bottom) * 0.5;
    const double spanX = static_cast<double>(right - left);
    const double spanY = static_cast<double>(bottom - top);
    const double rx2 = spanX * spanX * 0.25;
    const double ry2 = spanY * spanY * 0.25;

    const int stride = static_cast<int>(static_cast<unsigned>(surface->pitch) >> 2);
    const int64_t firstX = std::max<int64_t>(left, 0);
    const int64_t lastX = std::min<int64_t>(right, stride - 1);
    const int64_t firstY = std::max<int64_t>(top, 0);
    const int64_t lastY = std::min<int64_t>(bottom, FillableRows(surface, screenHeight) - 1);
    if (firstX > lastX || firstY > lastY)
        return;

    // Row by row: a row's pixels in the oval are one span, found from the
    // circle's half-width and settled with the exact per-pixel test below, so
    // the span holds exactly the pixels that test passes.
    auto* pixels = static_cast<uint32_t*>(surface->pixels);
    for (int64_t y = firstY; y <= lastY; ++y) {
        const double dy = static_cast<double>(y) - cy;
        const double ty = dy * dy / ry2;
        // A flat box makes 0/0: NaN fails the test, so it draws nothing.
        const auto inside = [&](int64_t x) {
            const double dx = static_cast<double>(x) - cx;
            return 1.0 >= ty + dx * dx / rx2;
        };
        // Past the top or bottom of the oval no column can pass.
        if (!(1.0 >= ty))
            continue;
        const double halfWidth = std::sqrt((1.0 - ty) * rx2);
        int64_t from = std::max<int64_t>(firstX, static_cast<int64_t>(std::floor(cx - halfWidth)));
        int64_t to = std::min<int64_t>(lastX, static_cast<int64_t>(std::ceil(cx + halfWidth)));
        // The test is monotonic in the distance from the centre column: walk
        // each end outwards while it passes, then inwards until it does.
        while (from > firstX && inside(from - 1))
            --from;
        while (from <= to && !inside(from))
            ++from;
        while (to < lastX && inside(to + 1))
            ++to;
        while (to >= from && !inside(to))
            --to;
        if (from > to)
            continue;
        uint32_t* row = pixels + static_cast<size_t>(y) * stride;
        std::fill(row + from, row + to + 1, colour);
    }
}

// ---------------------------------------------------------------- text

void BaseEngine::BlitText(SDL_Surface* rendered, int x, int y, SDL_Surface* target)
{
    if (!target)
        target = foreground.get();
    if (!rendered || !target)
        return;
    // A locked foreground cannot be blitted to; give the lock back around the blit.
    const bool relock = surfaceLocked && foreground && SDL_MUSTLOCK(foreground.get());
    if (relock)
        SDL_UnlockSurface(foreground.get());
    SDL_Rect at{x, y, 0, 0};
    SDL_BlitSurface(rendered, nullptr, target, &at);
    if (relock)
        SDL_LockSurface(foreground.get());
}

void BaseEngine::DrawText(int x, int y, const char* text, unsigned int colour, FontRecord* font,
                          SDL_Surface* surface)
{
    const FontRecord* record = font ? font : defaultFont;
    if (!text || !record || !record->font)
        return;
    const SDL_Color sdlColour{static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8),
                              static_cast<Uint8>(colour), 0};
    SDL_Surface* rendered = TTF_RenderText_Solid(record->font, text, sdlColour);
    BlitText(rendered, x, y, surface);
    SDL_FreeSurface(rendered);
}

void BaseEngine::DrawTextLine(int x, int y, TextLine& line, const char* text, unsigned int colour,
                              FontRecord* font, SDL_Surface* surface)
{
    BlitText(line.Render(text, colour, font ? font : defaultFont), x, y, surface);
}
