#include "GameControllers.h"

#include <algorithm>
#include <cstdio>

namespace {

SDL_JoystickID InstanceOf(SDL_GameController* controller)
{
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
}

}  // namespace

void GameControllers::OpenAttached()
{
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER))
        return;
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
        Open(index);
}

void GameControllers::Open(int deviceIndex)
{
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER) || !SDL_IsGameController(deviceIndex))
        return;
    // SDL also announces the controllers that were there when it started.
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (const auto& controller : open)
        if (InstanceOf(controller.get()) == id)
            return;
    if (SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex))
        open.emplace_back(controller);
    else
        std::fprintf(stderr, "Unable to open a game controller: %s\n", SDL_GetError());
}

bool GameControllers::Close(SDL_JoystickID instanceId)
{
    const auto gone = std::remove_if(open.begin(), open.end(), [instanceId](const auto& controller) {
        return InstanceOf(controller.get()) == instanceId;
    });
    const bool closed = gone != open.end();
    open.erase(gone, open.end());
    return closed;
}

bool GameControllers::IsButtonHeld(SDL_GameControllerButton button) const
{
    return std::any_of(open.begin(), open.end(), [button](const auto& controller) {
        return SDL_GameControllerGetButton(controller.get(), button) != 0;
    });
}

int GameControllers::StrongestPush(SDL_GameControllerAxis axis, int sign) const
{
    int strongest = 0;
    for (const auto& controller : open) {
        const int value = SDL_GameControllerGetAxis(controller.get(), axis);
        if (sign > 0 ? value > strongest : value < strongest)
            strongest = value;
    }
    return strongest;
}
