#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

// The game controllers plugged in now: opened when SDL reports them (at start
// and on hot-plug), closed when they are unplugged. It answers what is held on
// any of them; presses reach the game as events through the engine.
class GameControllers {
public:
    // Opens every controller already attached. Needs SDL's game controller
    // subsystem; without it there are simply none.
    void OpenAttached();
    // Opens the controller at a device index unless it is open already.
    void Open(int deviceIndex);
    // Closes the controller with this instance id. False for an id that was
    // not open here.
    bool Close(SDL_JoystickID instanceId);
    int Count() const { return static_cast<int>(open.size()); }

    // Held on any open controller.
    bool IsButtonHeld(SDL_GameControllerButton button) const;
    // The axis value furthest from the centre over all open controllers, in
    // the given direction (sign > 0: positive values, otherwise negative); 0
    // when no controller pushes that way.
    int StrongestPush(SDL_GameControllerAxis axis, int sign) const;

private:
    struct Closer {
        void operator()(SDL_GameController* controller) const { SDL_GameControllerClose(controller); }
    };
    std::vector<std::unique_ptr<SDL_GameController, Closer>> open;
};
