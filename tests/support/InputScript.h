#pragma once

#include "BaseEngine.h"

#include <string>
#include <vector>

// A recorded run: stretches of held arrow keys, each a number of engine passes.
// Replayed through real SDL key events and the engine's own passes, with the
// clock advancing one update tick per pass.
class InputScript {
public:
    struct Stretch {
        int ticks = 0;
        std::string held;  // any of "UDLR"; empty for no arrow
    };

    // Reads "<ticks> <U|D|L|R letters or ->" lines; '#' starts a comment.
    // An unreadable file or line gives an empty script.
    static InputScript Load(const std::string& path);

    int TotalTicks() const;

    // Presses startKey in the first pass, then plays every stretch. now is the
    // engine clock in milliseconds and is advanced by 15 per pass; onPass runs
    // after each pass.
    template <typename OnPass>
    void Play(BaseEngine& engine, int& now, int startKey, OnPass onPass) const;

    // Pushes a key event into SDL's queue, as the window would.
    static void PushKey(int keyCode, bool down, Uint16 modifiers = KMOD_NONE);
    // Pushes a window event (an SDL_WindowEventID) for the engine's window.
    static void PushWindowEvent(const BaseEngine& engine, Uint8 what);
    static constexpr int kPassMs = 15;

private:
    void HoldOnly(const std::string& held, std::string& current) const;

    std::vector<Stretch> stretches;
};

template <typename OnPass>
void InputScript::Play(BaseEngine& engine, int& now, int startKey, OnPass onPass) const
{
    std::string current;
    PushKey(startKey, true);
    PushKey(startKey, false);
    for (const Stretch& stretch : stretches) {
        HoldOnly(stretch.held, current);
        for (int pass = 0; pass < stretch.ticks; ++pass) {
            engine.RunPass(now += kPassMs);
            onPass();
        }
    }
    HoldOnly("", current);
    engine.RunPass(now += kPassMs);
}
