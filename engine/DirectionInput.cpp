#include "DirectionInput.h"

#include "BaseEngine.h"
#include "GameControllers.h"

#include <SDL.h>

namespace {

struct Source {
    int arrowKey;
    int letterKey;
    SDL_GameControllerButton padButton;
    SDL_GameControllerAxis stickAxis;
    int stickSign;  // which end of the axis points this way
};

// Indexed by Direction. SDL's stick y grows downwards, as screen y does.
constexpr Source kSources[] = {
    {SDLK_UP, SDLK_w, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_AXIS_LEFTY, -1},
    {SDLK_DOWN, SDLK_s, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_AXIS_LEFTY, 1},
    {SDLK_LEFT, SDLK_a, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_AXIS_LEFTX, -1},
    {SDLK_RIGHT, SDLK_d, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_AXIS_LEFTX, 1},
};

}  // namespace

bool DirectionInput::IsHeld(Direction direction) const
{
    const Source& source = kSources[static_cast<int>(direction)];
    if (keys.IsKeyPressed(source.arrowKey) || keys.IsKeyPressed(source.letterKey))
        return true;
    if (controllers.Count() == 0)
        return false;
    if (controllers.IsButtonHeld(source.padButton))
        return true;
    const int push = controllers.StrongestPush(source.stickAxis, source.stickSign);
    return source.stickSign > 0 ? push > StickDeadZone : push < -StickDeadZone;
}

unsigned DirectionInput::HeldDirections() const
{
    unsigned held = 0;
    for (const Direction direction : {Direction::Up, Direction::Down, Direction::Left, Direction::Right}) {
        if (IsHeld(direction))
            held |= DirectionBit(direction);
    }
    return held;
}
