#pragma once

#include "BaseEngine.h"
#include "DirectionRecord.h"

// Input as the window delivers it: key and window events pushed into SDL's
// queue, and recorded runs played through real arrow key events, one engine
// pass a tick with the clock 15 ms further each pass.
namespace InputScript {

constexpr int kPassMs = 15;

// Pushes a key event into SDL's queue, as the window would; repeat marks a held key's repeats.
void PushKey(int keyCode, bool down, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0);
// A key pressed and let go.
void Tap(int keyCode);
// Pushes a window event (an SDL_WindowEventID) for the engine's window.
void PushWindowEvent(const BaseEngine& engine, Uint8 what);
// Presses and lets go arrows so that those `wanted` (DirectionBit bits) are
// held, given those `held`; returns `wanted`.
unsigned HoldOnly(unsigned wanted, unsigned held);

// Taps startKey, then holds each tick's arrows for one pass, calling onPass
// after it; lets every arrow go in one last pass.
template <typename OnPass>
void Play(BaseEngine& engine, int& now, int startKey, const DirectionRecord& record, OnPass onPass)
{
    Tap(startKey);
    unsigned held = 0;
    for (size_t tick = 0; tick < record.Ticks(); ++tick) {
        held = HoldOnly(record.At(tick), held);
        engine.RunPass(now += kPassMs);
        onPass();
    }
    HoldOnly(0, held);
    engine.RunPass(now += kPassMs);
}

}  // namespace InputScript
