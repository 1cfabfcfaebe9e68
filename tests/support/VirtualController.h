#pragma once

#include <SDL.h>

// A game controller made by SDL itself, plugged in until Unplug or the end of
// its scope. Needs SDL's game controller subsystem started (the engine's
// Initialise does). Buttons and axes are SDL's game controller numbers; the
// engine sees a change at its next pass, as with a real controller.
class VirtualController {
public:
    VirtualController()
    {
        // SDL drops controller input while none of its windows has the focus,
        // and a window on the dummy video driver never gets it.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
        joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }
    ~VirtualController() { Unplug(); }
    VirtualController(const VirtualController&) = delete;
    VirtualController& operator=(const VirtualController&) = delete;

    bool IsPlugged() const { return joystick != nullptr; }
    void Press(SDL_GameControllerButton button, bool down = true)
    {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
    }
    void Release(SDL_GameControllerButton button) { Press(button, false); }
    void Tilt(SDL_GameControllerAxis axis, int value)
    {
        SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(value));
    }
    void Unplug()
    {
        if (!joystick)
            return;
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(index);
        joystick = nullptr;
    }

private:
    int index = -1;
    SDL_Joystick* joystick = nullptr;
};
