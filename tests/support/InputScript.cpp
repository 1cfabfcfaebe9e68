#include "InputScript.h"

#include <SDL.h>

namespace {

constexpr struct {
    Direction direction;
    int keyCode;
} kArrows[] = {{Direction::Up, SDLK_UP}, {Direction::Down, SDLK_DOWN}, {Direction::Left, SDLK_LEFT},
               {Direction::Right, SDLK_RIGHT}};

}  // namespace

void InputScript::PushKey(int keyCode, bool down, Uint16 modifiers, Uint8 repeat)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = keyCode;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat;
    SDL_PushEvent(&event);
}

void InputScript::Tap(int keyCode)
{
    PushKey(keyCode, true);
    PushKey(keyCode, false);
}

void InputScript::PushWindowEvent(const BaseEngine& engine, Uint8 what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = engine.GetWindowId();
    event.window.event = what;
    SDL_PushEvent(&event);
}

unsigned InputScript::HoldOnly(unsigned wanted, unsigned held)
{
    for (const auto& arrow : kArrows) {
        const unsigned bit = DirectionBit(arrow.direction);
        if ((wanted & bit) != (held & bit))
            PushKey(arrow.keyCode, (wanted & bit) != 0);
    }
    return wanted;
}
